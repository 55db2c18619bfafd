# Script mode: writes OUTPUT, a C++ source holding the bytes of every picture in IMAGES_DIR
# by resource id (the number before the first "-" of the file name), found through
# xh::linuxport::EmbeddedPicture.
file(GLOB pictures "${IMAGES_DIR}/*.png" "${IMAGES_DIR}/*.bmp")
list(SORT pictures)
set(body "")
set(table "")
foreach(path IN LISTS pictures)
  get_filename_component(name "${path}" NAME)
  string(REGEX MATCH "^[0-9]+" id "${name}")
  if(id STREQUAL "")
    continue()
  endif()
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # 32 bytes a line keep the generated file readable and quick to compile.
  string(REGEX REPLACE "(................................................................)" "\\1\n" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(APPEND body "// ${name}\nalignas(8) const unsigned char kPicture${id}[${size}] = {\n${hex}\n};\n\n")
  string(APPEND table "    {${id}, kPicture${id}, ${size}},\n")
endforeach()
file(WRITE "${OUTPUT}" "// Generated from resources/images by controls_embed_pictures.cmake. Do not edit.
#include <cstddef>
#include <span>

#include \"linux/controls_pictures.h\"

namespace xh::linuxport {
namespace {

${body}struct Entry {
    unsigned id;
    const unsigned char* bytes;
    std::size_t size;
};
const Entry kEntries[] = {
${table}};

}  // namespace

std::span<const unsigned char> EmbeddedPicture(unsigned id) {
    for (const Entry& e : kEntries) {
        if (e.id == id) return {e.bytes, e.size};
    }
    return {};
}

}  // namespace xh::linuxport
")
