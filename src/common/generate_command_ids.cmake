# Writes common/command_ids.h from the command catalogue
# (tools/vrc/data/commands.txt): the slot of every command and the id of
# every named argument, so that the engine's handlers and the compiler name
# them from the one file that fixes them.  Run with
#   cmake -DCATALOGUE=commands.txt -DOUTPUT=command_ids.h -P generate_command_ids.cmake
#
# The catalogue's own reader in vrc checks the file thoroughly; this one
# takes the lines it needs and stops on anything it cannot read, so that a
# broken catalogue fails the build instead of producing wrong numbers.

# Meaning lines (first non-blank character ":") are the manual's text: they
# are left out here, before their text can reach a CMake list.
file(STRINGS "${CATALOGUE}" lines ENCODING UTF-8 REGEX "^[ \t]*([^ \t:]|$)")

# "ObjectSet" -> "object_set", the namespace of a command's arguments; a
# C++ keyword ("Return") takes a trailing underscore.
function(snake_case out name)
  string(REGEX REPLACE "([a-z0-9])([A-Z])" "\\1_\\2" s "${name}")
  string(TOLOWER "${s}" s)
  if(s MATCHES "^(return|delete|new|default|break|continue|goto|switch|case|do|if|else|for|while|this|true|false)$")
    string(APPEND s "_")
  endif()
  set(${out} "${s}" PARENT_SCOPE)
endfunction()

# "maskLevel" -> "kMaskLevel".
function(constant_name out name)
  string(SUBSTRING "${name}" 0 1 first)
  string(SUBSTRING "${name}" 1 -1 rest)
  string(TOUPPER "${first}" first)
  set(${out} "k${first}${rest}" PARENT_SCOPE)
endfunction()

set(slots "")
set(arguments "")
set(command "")
set(count 0)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "#.*$" "" line "${line}")
  string(REGEX REPLACE "[ \t\r]+$" "" line "${line}")
  if(line STREQUAL "")
    continue()
  endif()
  if(line MATCHES "^([0-9]+)[ \t]+([A-Za-z0-9]+)$")
    set(slot ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    if(arguments_open)
      string(APPEND arguments "}  // namespace ${command}\n")
      set(arguments_open FALSE)
    endif()
    math(EXPR count "${count} + 1")
    if(name STREQUAL "reserved")
      set(command "")
      continue()
    endif()
    constant_name(constant ${name})
    string(APPEND slots "inline constexpr uint8_t ${constant} = ${slot};\n")
    snake_case(command ${name})
  elseif(line MATCHES "^[ \t]+[0-9]+(-[0-9]+)?[ \t]+unused$")
    # Placeholders keep the ids after them in place; they have no name.
  elseif(line MATCHES "^[ \t]+([0-9]+)[ \t]+([A-Za-z0-9]+)[ \t]+(numeric|string|raw)([ \t]+[0-9]+)?$")
    if(command STREQUAL "")
      message(FATAL_ERROR "${CATALOGUE}: an argument outside a command: ${line}")
    endif()
    if(NOT arguments_open)
      string(APPEND arguments "namespace ${command} {\n")
      set(arguments_open TRUE)
    endif()
    constant_name(constant ${CMAKE_MATCH_2})
    string(APPEND arguments "inline constexpr uint8_t ${constant} = ${CMAKE_MATCH_1};\n")
  else()
    message(FATAL_ERROR "${CATALOGUE}: cannot read the line \"${line}\"")
  endif()
endforeach()
if(arguments_open)
  string(APPEND arguments "}  // namespace ${command}\n")
endif()

set(header "// Generated from tools/vrc/data/commands.txt by src/common/generate_command_ids.cmake; do not edit.
//
// The command slots (vr::cmd) and the argument ids of each command
// (vr::arg::<command in snake_case>), as the command catalogue fixes them.
#pragma once

#include <cstdint>

namespace vr::cmd {
inline constexpr uint8_t kSlotCount = ${count};
${slots}}  // namespace vr::cmd

namespace vr::arg {
${arguments}}  // namespace vr::arg
")

# Rewritten only when the content changes, so that a change to a comment of
# the catalogue does not rebuild everything that includes it.
file(WRITE "${OUTPUT}.new" "${header}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
