# Writes OUTPUT, a C++ source holding every file under WWW_DIR as a byte array, keyed by
# its path relative to WWW_DIR ("static/platform.css", "templates/login.html", ...).
# Usage: cmake -DWWW_DIR=<dir> -DOUTPUT=<file.cpp> -P embed_assets.cmake

file(GLOB_RECURSE files RELATIVE "${WWW_DIR}" "${WWW_DIR}/*")
list(SORT files)

set(arrays "")
set(table "")
set(index 0)
foreach(name IN LISTS files)
    file(READ "${WWW_DIR}/${name}" hex HEX)
    file(SIZE "${WWW_DIR}/${name}" size)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){20})" "\\1\n    " bytes "${bytes}")
    # The trailing zero keeps empty files legal; it is not part of the size.
    string(APPEND arrays "// ${name}\nconst unsigned char kData${index}[] = {\n    ${bytes}0x00};\n\n")
    string(APPEND table "    {\"${name}\", reinterpret_cast<const char*>(kData${index}), ${size}},\n")
    math(EXPR index "${index} + 1")
endforeach()

file(WRITE "${OUTPUT}" "// Generated from demo/www by embed_assets.cmake. Do not edit.
#include \"assets.h\"

#include <cstddef>

namespace xh::demo {
namespace {

${arrays}struct Entry {
    const char* name;
    const char* data;
    std::size_t size;
};

const Entry kEntries[] = {
${table}};

}  // namespace

std::optional<std::string_view> FindAsset(std::string_view name) {
    for (const Entry& entry : kEntries) {
        if (name == entry.name) return std::string_view(entry.data, entry.size);
    }
    return std::nullopt;
}

}  // namespace xh::demo
")
