# Writes pinwrightconfig.txt, the configuration settings by name of every model of the
# device database, from what gputils' assembler knows about each part ("gpasm -s -p PART").
# Run at build time:
#   cmake -DGPASM=/usr/bin/gpasm -DDATABASE=pinwrightdevices.txt -DOUTPUT=pinwrightconfig.txt
#         -P config_names.cmake
# A model gpasm does not know is left out (the programs then show its raw bytes only).

foreach(variable GPASM DATABASE OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "config_names.cmake needs -D${variable}=...")
  endif()
endforeach()

set(byte_names 1L 1H 2L 2H 3L 3H 4L 4H 5L 5H 6L 6H 7L 7H)

# Two upper-case hex digits of the number `value` (decimal or 0x...).
function(hex2 out value)
  math(EXPR number "${value}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${number}" 2 -1 digits)
  string(TOUPPER "${digits}" digits)
  string(LENGTH "${digits}" length)
  if(length LESS 2)
    set(digits "0${digits}")
  endif()
  set(${out} "${digits}" PARENT_SCOPE)
endfunction()

set(text [[
# pinwrightconfig.txt: the configuration settings of the models of pinwrightdevices.txt,
# by name, generated from gputils ("gpasm -s -p PART") when the program is built. Do not
# edit: rebuild instead.
#
#   model: NAME                 a model, named as in pinwrightdevices.txt; the lines up to
#                               the next model line belong to it
#   byte: NN MASK ERASED        a configuration byte of that model: NN its name after
#                               CONFIG (1L .. 7H), MASK the bits it implements, ERASED its
#                               default value, both two hex digits
#   setting: NAME BITS OPTION=VALUE ...
#                               a setting of the byte above: its name as a CONFIG directive
#                               writes it, BITS the bits of the byte it uses, and each
#                               option with its value of those bits (two hex digits)
#
# A byte with no line has no settings. Blank lines and lines starting with # are ignored.
]])

file(STRINGS "${DATABASE}" model_lines REGEX "^model:")
foreach(model_line IN LISTS model_lines)
  string(REGEX REPLACE "^model:" "" model "${model_line}")
  string(STRIP "${model}" model)
  string(TOLOWER "${model}" part)
  if(NOT part MATCHES "^pic18")
    continue()
  endif()
  string(REGEX REPLACE "^pic" "p" part "${part}")
  execute_process(COMMAND "${GPASM}" -s -p ${part} OUTPUT_VARIABLE listing ERROR_QUIET
                  RESULT_VARIABLE status)
  # gpasm lists every part it knows when it does not know the one asked for.
  if(NOT status EQUAL 0 OR NOT listing MATCHES "Names *:[^\n]*[ ,]${part}(,|\n)")
    message(STATUS "gpasm knows no configuration settings for ${model}")
    continue()
  endif()
  string(APPEND text "\nmodel: ${model}\n")
  string(REPLACE ";" "," listing "${listing}")
  string(REPLACE "\n" ";" listing "${listing}")
  set(setting "")
  # The configuration starts at 300000h, or on parts that keep it in FLASH at the start of
  # their "Config Range" (the last eight bytes of FLASH).
  set(config_base 3145728)
  foreach(line IN LISTS listing)
    set(finished "")
    if(line MATCHES "Config Range *: 0x([0-9A-Fa-f]+)")
      math(EXPR config_base "0x${CMAKE_MATCH_1}")
    endif()
    if(line MATCHES "Config Word *: address = 0x([0-9A-Fa-f]+), mask = 0x([0-9A-Fa-f]+), default = 0x([0-9A-Fa-f]+)")
      math(EXPR index "0x${CMAKE_MATCH_1} - ${config_base}")
      list(GET byte_names ${index} byte_name)
      hex2(mask "0x${CMAKE_MATCH_2}")
      hex2(erased "0x${CMAKE_MATCH_3}")
      set(finished "${setting}")
      set(setting "")
      set(byte_line "byte: ${byte_name} ${mask} ${erased}\n")
    elseif(line MATCHES "Directive: *([^ ]+)")
      set(finished "${setting}")
      set(setting "${CMAKE_MATCH_1}")
      set(bits 0)
      set(options "")
    elseif(line MATCHES "Option: *([^ ]+) *= *0x([0-9A-Fa-f]+)" AND NOT setting STREQUAL "")
      hex2(value "0x${CMAKE_MATCH_2}")
      string(APPEND options " ${CMAKE_MATCH_1}=${value}")
      math(EXPR bits "${bits} | 0x${value}")
    elseif(NOT line MATCHES "^ ")
      set(finished "${setting}")
      set(setting "")
    endif()
    # A byte line is written before its first setting, so a byte without settings is left
    # out.
    if(NOT finished STREQUAL "")
      string(APPEND text "${pending_byte}setting: ${finished} ${finished_bits}${finished_options}\n")
      set(pending_byte "")
    endif()
    if(DEFINED byte_line)
      set(pending_byte "${byte_line}")
      unset(byte_line)
    endif()
    if(NOT setting STREQUAL "")
      hex2(finished_bits "${bits}")
      set(finished_options "${options}")
    endif()
  endforeach()
  if(NOT setting STREQUAL "")
    string(APPEND text "${pending_byte}setting: ${setting} ${finished_bits}${finished_options}\n")
  endif()
  set(pending_byte "")
endforeach()

file(WRITE "${OUTPUT}" "${text}")
