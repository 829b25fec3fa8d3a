# The skin's two sprite sheets, composed at build time from the SVG sources
# and the sprite table in resources/art (tools/art/compose.py, rsvg-convert).
# First the skin files' positions are checked against the table, so the
# skin files and the sheets cannot drift apart.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QM_ART_TABLE ${CMAKE_SOURCE_DIR}/resources/art/sprites.csv)
set(QM_SKIN_DIR ${CMAKE_SOURCE_DIR}/resources/skin)
set(QM_COMPOSE ${CMAKE_SOURCE_DIR}/tools/art/compose.py)

if(NOT QM_WINDOWS)
  # Native builds only check the table against the skin files.
  add_test(NAME native.art COMMAND Python3::Interpreter ${QM_COMPOSE} --check-skin ${QM_ART_TABLE} ${QM_SKIN_DIR})
  return()
endif()

find_program(QM_RSVG_CONVERT rsvg-convert REQUIRED)
file(GLOB QM_ART_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/art/*)
file(GLOB QM_SKIN_TEXTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/skin/*.txt)
set(QM_ART_OUT ${CMAKE_BINARY_DIR}/generated/art)
set(QM_ART_SHEETS ${QM_ART_OUT}/Base.png ${QM_ART_OUT}/Parts.png)
add_custom_command(
  OUTPUT ${QM_ART_SHEETS}
  COMMAND Python3::Interpreter ${QM_COMPOSE} --check-skin ${QM_ART_TABLE} ${QM_SKIN_DIR}
  COMMAND Python3::Interpreter ${QM_COMPOSE} ${QM_ART_TABLE} ${QM_ART_OUT}
  DEPENDS ${QM_ART_SOURCES} ${QM_COMPOSE} ${QM_SKIN_TEXTS}
  COMMENT "Composing Base.png and Parts.png"
  VERBATIM)
add_custom_target(qm_art DEPENDS ${QM_ART_SHEETS})
