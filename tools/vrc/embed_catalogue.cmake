# Writes a C++ source holding the catalogue's data files as byte arrays, so
# that vrc needs no data files beside it.  Run with
#   cmake -DOUTPUT=file.cc -DCOMMANDS=... -DERRORS=... -DERRNO=... -P embed_catalogue.cmake

function(embed_file VARIABLE PATH FUNCTION)
  file(READ "${PATH}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # A trailing 0 keeps the array from being empty when the file is.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  set(${VARIABLE} "${${VARIABLE}}
namespace {
const unsigned char k${FUNCTION}[] = {
${bytes}0};
}  // namespace

std::string_view embedded${FUNCTION}() { return {reinterpret_cast<const char*>(k${FUNCTION}), ${size}}; }
" PARENT_SCOPE)
endfunction()

set(source "// Generated from tools/vrc/data by embed_catalogue.cmake; do not edit.
#include \"catalogue.h\"

namespace vrc {
")
embed_file(source "${COMMANDS}" Commands)
embed_file(source "${ERRORS}" Errors)
embed_file(source "${ERRNO}" Errno)
string(APPEND source "
}  // namespace vrc
")

# Rewritten only when the content changes, so that an unchanged catalogue
# does not rebuild its library.
file(WRITE "${OUTPUT}.new" "${source}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
