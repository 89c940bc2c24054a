// Keeps the OpenGL driver modules loaded until the process ends, so that the leak checker
// still sees the driver's own allocations through its globals instead of reporting them as
// leaks when the window system unloads the driver at exit.
#pragma once

#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace agim::test {

// Marks every loaded Mesa driver module (a path with "/dri/") as never to be unloaded.
inline void keep_gl_driver_loaded() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "/dri/") != nullptr)
          dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

}  // namespace agim::test
