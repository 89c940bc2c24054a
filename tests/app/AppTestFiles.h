// Model files for the window tests: the sample shapes written to the scratch folder.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <string>

#include "geometry/SampleModels.h"
#include "model/AGIM_Writer.h"

namespace agim::test {

// Writes each shape (in order) with `layout` into AGIM_TEST_TMP/<folder>/ and returns the file
// names; an empty list when a file cannot be written.
inline QStringList write_sample_files(const QString& folder,
                                      std::initializer_list<SampleShape> shapes,
                                      const SampleLayout& layout = {}) {
  const QString dir = QString(AGIM_TEST_TMP) + "/" + folder;
  QDir().mkpath(dir);
  QStringList names;
  int k = 0;
  for (SampleShape shape : shapes) {
    AGIM model;
    make_sample_model(shape, layout, model);
    const QString name = QString("%1/%2-%3.agim").arg(dir).arg(k++).arg(sample_shape_name(shape));
    std::string error;
    if (!Write_AGIM_File(model, name.toLocal8Bit().constData(), &error)) return {};
    names << name;
  }
  return names;
}

}  // namespace agim::test
