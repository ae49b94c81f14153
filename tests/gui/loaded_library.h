#pragma once

#include <link.h>

#include <string_view>

namespace corvane::testing {

// Whether a library whose file name holds `name` is loaded in this process.
inline bool libraryLoaded(std::string_view name) {
    return dl_iterate_phdr(
               [](dl_phdr_info* info, std::size_t, void* wanted) {
                   const std::string_view file(info->dlpi_name);
                   return file.find(*static_cast<std::string_view*>(wanted)) !=
                                  std::string_view::npos
                              ? 1
                              : 0;
               },
               &name) != 0;
}

}  // namespace corvane::testing
