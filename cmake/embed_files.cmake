# Turns files into a C++ source: for each NAME=FILE in ASSETS, a static member function
# `std::string_view CLASS::NAME()` returning the file's bytes. Run as
#   cmake -DOUTPUT=out.cpp -DHEADER=path/of/header.h -DCLASS=name "-DASSETS=a=file1|b=file2" -P embed_files.cmake
# Files other than .html end up inside <script> or <style> elements of a page, where the texts checked
# below would end the element early or change how it is parsed; such a file is refused.
foreach(var OUTPUT HEADER CLASS ASSETS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed_files.cmake: ${var} is not set")
  endif()
endforeach()

set(code "// Generated from the files named below by cmake/embed_files.cmake; edit those files instead.\n\n")
string(APPEND code "#include <${HEADER}>\n")
string(REPLACE "|" ";" ASSETS "${ASSETS}")
foreach(asset IN LISTS ASSETS)
  string(FIND "${asset}" "=" eq)
  string(SUBSTRING "${asset}" 0 ${eq} name)
  math(EXPR from "${eq} + 1")
  string(SUBSTRING "${asset}" ${from} -1 path)
  if(NOT path MATCHES "\\.html$")
    file(READ "${path}" text)
    string(TOLOWER "${text}" text)
    foreach(forbidden "</script" "<!--" "</style")
      string(FIND "${text}" "${forbidden}" at)
      if(NOT at EQUAL -1)
        message(FATAL_ERROR "embed_files.cmake: ${path} contains '${forbidden}' at byte ${at}")
      endif()
    endforeach()
  endif()
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
  string(APPEND code "\n// ${path}\nstd::string_view ${CLASS}::${name}()\n{\n"
                     "    static constexpr unsigned char bytes[${size} + 1] = {\n${bytes}0};\n"
                     "    return {reinterpret_cast<const char*>(bytes), ${size}};\n}\n")
endforeach()

file(WRITE "${OUTPUT}.tmp" "${code}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
