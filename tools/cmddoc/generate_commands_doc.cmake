# Writes the command manual (docs/commands.md) from the command catalogue
# (tools/vrc/data/commands.txt): an index, then every command with a table
# of its arguments.  Run with
#   cmake -DCATALOGUE=commands.txt -DOUTPUT=commands.md -P generate_commands_doc.cmake
#
# Reserved slots and placeholder ids are left out.  A command or a named
# argument without a meaning stops the generator, so that the manual never
# lists anything it does not explain.

file(READ "${CATALOGUE}" text)

# The catalogue's texts hold ";" and brackets, which CMake lists would take
# as separators; they travel as control characters and come back at the end.
string(ASCII 1 kSemicolon)
string(ASCII 2 kOpenBracket)
string(ASCII 3 kCloseBracket)
string(REPLACE ";" "${kSemicolon}" text "${text}")
string(REPLACE "[" "${kOpenBracket}" text "${text}")
string(REPLACE "]" "${kCloseBracket}" text "${text}")
string(REPLACE "\r" "" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

set(kind_numeric "number")
set(kind_string "text")
set(kind_raw "raw")

# A table cell may not hold "|" or a line break.
function(cell out value)
  string(REPLACE "|" "\\|" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The first sentence of a description, for the index.
function(first_sentence out value)
  string(REGEX REPLACE "\n\n.*$" "" value "${value}")
  string(FIND "${value}" ". " end)
  if(end GREATER -1)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${value}" 0 ${end} value)
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

set(commands "")      # slots of the named commands, in order
set(owner "")         # what a meaning line belongs to: "" | command | argument | none
set(in_header TRUE)
set(line_number 0)
foreach(line IN LISTS lines)
  math(EXPR line_number "${line_number} + 1")
  set(where "${CATALOGUE}:${line_number}")

  # The range words, from the header's RANGE table ("#   N  words").
  if(in_header)
    if(line MATCHES "^#[ \t]+([0-9]+)[ \t][ \t]+([^ \t].*)$")
      set(range_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
      continue()
    elseif(line MATCHES "^#" OR line STREQUAL "")
      continue()
    endif()
    set(in_header FALSE)
  endif()

  if(line MATCHES "^[ \t]*:(.*)$")
    string(STRIP "${CMAKE_MATCH_1}" words)
    if(owner STREQUAL "command")
      if(words STREQUAL "")
        string(APPEND command_${slot} "\n\n")
      elseif(command_${slot} STREQUAL "" OR command_${slot} MATCHES "\n\n$")
        string(APPEND command_${slot} "${words}")
      else()
        string(APPEND command_${slot} " ${words}")
      endif()
    elseif(owner STREQUAL "argument")
      if(words STREQUAL "")
        message(FATAL_ERROR "${where}: an argument's meaning is one paragraph")
      elseif(argument_${slot}_${id} STREQUAL "")
        set(argument_${slot}_${id} "${words}")
      else()
        string(APPEND argument_${slot}_${id} " ${words}")
      endif()
    else()
      message(FATAL_ERROR "${where}: a meaning line belongs under a command or a named argument")
    endif()
    continue()
  endif()

  string(REGEX REPLACE "#.*$" "" line "${line}")
  string(REGEX REPLACE "[ \t]+$" "" line "${line}")
  if(line STREQUAL "")
    continue()
  endif()
  if(line MATCHES "^([0-9]+)[ \t]+([A-Za-z0-9]+)$")
    set(slot ${CMAKE_MATCH_1})
    if(CMAKE_MATCH_2 STREQUAL "reserved")
      set(owner "none")
      continue()
    endif()
    set(name_${slot} ${CMAKE_MATCH_2})
    set(command_${slot} "")
    set(arguments_${slot} "")
    list(APPEND commands ${slot})
    set(owner "command")
  elseif(line MATCHES "^[ \t]+[0-9]+(-[0-9]+)?[ \t]+unused$")
    set(owner "none")
  elseif(line MATCHES "^[ \t]+([0-9]+)[ \t]+([A-Za-z0-9]+)[ \t]+(numeric|string|raw)([ \t]+([0-9]+))?$")
    set(id ${CMAKE_MATCH_1})
    list(APPEND arguments_${slot} ${id})
    set(argument_name_${slot}_${id} ${CMAKE_MATCH_2})
    set(argument_kind_${slot}_${id} ${kind_${CMAKE_MATCH_3}})
    set(argument_range_${slot}_${id} "")
    if(CMAKE_MATCH_5 AND NOT CMAKE_MATCH_5 EQUAL 0)
      if(NOT DEFINED range_${CMAKE_MATCH_5})
        message(FATAL_ERROR "${where}: range ${CMAKE_MATCH_5} is not in the header's RANGE table")
      endif()
      set(argument_range_${slot}_${id} "${range_${CMAKE_MATCH_5}}")
    endif()
    set(argument_${slot}_${id} "")
    set(owner "argument")
  else()
    message(FATAL_ERROR "${where}: cannot read the line \"${line}\"")
  endif()
endforeach()

set(index "")
set(body "")
foreach(slot IN LISTS commands)
  set(name ${name_${slot}})
  if(command_${slot} STREQUAL "")
    message(FATAL_ERROR "${CATALOGUE}: command ${name} has no meaning")
  endif()
  string(REGEX REPLACE "\n\n$" "" description "${command_${slot}}")
  string(TOLOWER "${name}" anchor)
  first_sentence(summary "${description}")
  if(description MATCHES "Not available in this version" AND NOT summary MATCHES "Not available")
    string(APPEND summary " *Not available in this version.*")
  endif()
  cell(summary "${summary}")
  string(APPEND index "| ${slot} | [${name}](#${anchor}) | ${summary} |\n")

  string(APPEND body "\n## ${name}\n\nSlot ${slot}.  ${description}\n\n")
  if(arguments_${slot} STREQUAL "")
    string(APPEND body "No arguments.\n")
    continue()
  endif()
  string(APPEND body "| id | name | kind | range | meaning |\n|---:|---|---|---|---|\n")
  foreach(id IN LISTS arguments_${slot})
    set(argument ${argument_name_${slot}_${id}})
    if(argument_${slot}_${id} STREQUAL "")
      message(FATAL_ERROR "${CATALOGUE}: argument ${argument} of ${name} has no meaning")
    endif()
    cell(range "${argument_range_${slot}_${id}}")
    cell(meaning "${argument_${slot}_${id}}")
    string(APPEND body "| ${id} | `${argument}` | ${argument_kind_${slot}_${id}} | ${range} | ${meaning} |\n")
  endforeach()
endforeach()

set(manual "<!-- Generated from tools/vrc/data/commands.txt by tools/cmddoc/generate_commands_doc.cmake; do not edit. -->
# Script commands

Every engine command is written as its name and named arguments, in any
order (see [the language](language.md#commands)):

```
ObjectSet path=\"W0/chara\" x=120 y+=4 image=\"chara/a\"
```

An argument is either given or absent.  Many commands only ask whether an
argument is given (a query selects its answer by the first such argument,
an operation runs because its argument is there); the value written then
does not matter unless the meaning says so, and `1` is the usual choice.
An argument that receives an answer names the variable (or array element)
to write: `result=score`, `result=names[2]`.  Numbers given with `+=`, `-=`,
`*=` or `/=` change the current value, for the arguments whose meaning says
so.

The kind says what an argument takes: a number (any numeric expression, or
the variable to write), a text (any text expression), or raw (written as the
command's own syntax describes).  A range is checked before the command
runs; a value outside it stops the script with an error.

## Index

| slot | command | what it does |
|---:|---|---|
${index}${body}")

string(REPLACE "${kSemicolon}" ";" manual "${manual}")
string(REPLACE "${kOpenBracket}" "[" manual "${manual}")
string(REPLACE "${kCloseBracket}" "]" manual "${manual}")

# Rewritten only when the content changes, so that the check and the copy
# that refreshes docs/commands.md see a stable file.
file(WRITE "${OUTPUT}.new" "${manual}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
