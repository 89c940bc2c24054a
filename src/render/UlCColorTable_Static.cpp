// The fixed 42-colour patch palette and its process-wide instance.
#include "render/UlCColorTable_Static.h"

UlCColorTable_Static* UlCColorTable_Static::mp_Instance = nullptr;

UlCColorTable_Static::UlCColorTable_Static() {
  static const unsigned char kPalette[42][4] = {
      {233, 244, 123, 255}, {255, 127, 124, 255}, {169, 233, 105, 255}, {247, 188, 91, 255},
      {68, 109, 140, 255},  {156, 235, 174, 255}, {183, 119, 13, 255},  {255, 192, 255, 255},
      {145, 0, 0, 255},     {198, 117, 236, 255}, {194, 206, 153, 255}, {0, 145, 0, 255},
      {192, 192, 192, 255}, {17, 207, 255, 255},  {0, 0, 145, 255},     {179, 132, 138, 255},
      {255, 0, 255, 255},   {0, 255, 0, 255},     {0, 0, 255, 255},     {255, 0, 0, 255},
      {25, 25, 112, 255},   {50, 205, 50, 255},   {218, 112, 214, 255}, {16, 78, 139, 255},
      {122, 197, 205, 255}, {179, 238, 58, 255},  {238, 99, 99, 255},   {205, 16, 118, 255},
      {122, 55, 139, 255},  {79, 79, 79, 255},    {255, 69, 0, 255},    {139, 69, 19, 255},
      {255, 231, 186, 255}, {139, 105, 20, 255},  {192, 255, 62, 255},  {118, 238, 198, 255},
      {74, 112, 139, 255},  {67, 110, 238, 255},  {160, 32, 240, 255},  {176, 48, 96, 255},
      {154, 205, 50, 255},  {119, 136, 153, 255},
  };
  m_Colors.reserve(42);
  for (const auto& c : kPalette) add_Color(c[0], c[1], c[2], c[3]);
}

UlCColorTable_Static*& UlCColorTable_Static::Instance() {
  // A constructor that throws leaves the pointer null; new releases its allocation.
  if (mp_Instance == nullptr) mp_Instance = new UlCColorTable_Static();
  return mp_Instance;
}

UlCColorTable_Static* UlCColorTable_Static::InstancePtr() { return Instance(); }

osg::Color4<unsigned char> UlCColorTable_Static::get_Color(unsigned int index) {
  // The remainder is taken on the unsigned index; an emptied table has nothing to divide by.
  const unsigned int count = static_cast<unsigned int>(m_Colors.size());
  if (count == 0) return osg::Color4<unsigned char>();
  return m_Colors[index % count];
}
