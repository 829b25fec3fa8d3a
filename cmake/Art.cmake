# The skin's two sprite sheets, composed at build time from the SVG sources
# and the sprite table in resources/art (tools/art/compose.py, rsvg-convert).
# First the skin files' positions are checked against the table, so the
# skin files and the sheets cannot drift apart.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QM_ART_TABLE ${CMAKE_SOURCE_DIR}/resources/art/sprites.csv)
set(QM_SKIN_DIR ${CMAKE_SOURCE_DIR}/resources/skin)
set(QM_COMPOSE ${CMAKE_SOURCE_DIR}/tools/art/compose.py)

if(NOT QM_WINDOWS)
  # Native builds check the table against the skin files, and every carried
  # skin file with the skin checker (window files with its window checks).
  add_test(NAME native.art COMMAND Python3::Interpreter ${QM_COMPOSE} --check-skin ${QM_ART_TABLE} ${QM_SKIN_DIR})
  add_test(NAME native.skincheck COMMAND sh -c
    "for f in \"$1\"/*.txt; do case \"\${f##*/}\" in Common.txt|DefaultUIString.txt|Description.txt) o= ;; *) o=--window ;; esac; \"$0\" $o \"$f\" >/dev/null || { echo \"skincheck: $f\"; exit 1; }; done"
    $<TARGET_FILE:skincheck> ${QM_SKIN_DIR})
  return()
endif()

find_program(QM_RSVG_CONVERT rsvg-convert REQUIRED)
file(GLOB QM_ART_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/art/*)
file(GLOB QM_SKIN_TEXTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/skin/*.txt)
set(QM_ART_OUT ${CMAKE_BINARY_DIR}/generated/art)
# The check is quick and follows the skin files; composing follows the art.
add_custom_command(
  OUTPUT ${QM_ART_OUT}/positions.checked
  COMMAND Python3::Interpreter ${QM_COMPOSE} --check-skin ${QM_ART_TABLE} ${QM_SKIN_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${QM_ART_OUT}/positions.checked
  DEPENDS ${QM_ART_TABLE} ${QM_COMPOSE} ${QM_SKIN_TEXTS}
  COMMENT "Checking the skin files' picture positions"
  VERBATIM)
# Each sheet at 1x, 1.5x and 2x, rendered from the vectors at that scale.
set(QM_ART_PNGS)
foreach(sheet Base Parts)
  foreach(scale "" "@1.5x" "@2x")
    list(APPEND QM_ART_PNGS ${QM_ART_OUT}/${sheet}${scale}.png)
  endforeach()
endforeach()
add_custom_command(
  OUTPUT ${QM_ART_PNGS}
  COMMAND Python3::Interpreter ${QM_COMPOSE} ${QM_ART_TABLE} ${QM_ART_OUT}
  DEPENDS ${QM_ART_SOURCES} ${QM_COMPOSE}
  COMMENT "Composing Base.png and Parts.png at 1x, 1.5x and 2x"
  VERBATIM)
set(QM_ART_SHEETS ${QM_ART_PNGS} ${QM_ART_OUT}/positions.checked)
add_custom_target(qm_art DEPENDS ${QM_ART_SHEETS})
# The composed sheets: the table's sizes, nothing outside the sprites, no
# pixel with the key colour mixed in.
add_test(NAME art.sheets COMMAND Python3::Interpreter ${QM_COMPOSE} --check-sheets ${QM_ART_TABLE} ${QM_ART_OUT})
