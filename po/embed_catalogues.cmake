# Writes a C++ source that holds the bytes of each compiled catalogue.
# Inputs: LANGUAGES (comma-separated), MO_DIR (holding <language>.mo), OUTPUT.
string(REPLACE "," ";" languages "${LANGUAGES}")

set(byte "0x[0-9a-f][0-9a-f],")
string(REPEAT "${byte}" 16 row)

set(arrays "")
set(table "")
set(index 0)
foreach(language IN LISTS languages)
  file(READ "${MO_DIR}/${language}.mo" hex HEX)
  if(hex STREQUAL "")
    message(FATAL_ERROR "The ${language} catalogue is empty")
  endif()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(${row})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "const unsigned char kCatalogue${index}[] = {\n    ${bytes}\n};\n\n")
  string(APPEND table "    {\"${language}\", kCatalogue${index}},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(template [=[
// Generated from the po/ catalogues by po/embed_catalogues.cmake; edits are overwritten.
#include "platform/strings/embedded_catalogues.h"

namespace voltaro::strings {
namespace {

@arrays@const EmbeddedCatalogue kCatalogues[] = {
@table@};

}  // namespace

std::span<const EmbeddedCatalogue> embeddedCatalogues() { return kCatalogues; }

}  // namespace voltaro::strings
]=])
string(CONFIGURE "${template}" source @ONLY)
file(WRITE "${OUTPUT}" "${source}")
