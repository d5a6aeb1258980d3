# The brush chooser's previews, painted at build time by our own brush
# engine: share/velumo/brushes/brushes/<entry>_prev.png for every brush file
# of the brush set. They are installed with the other resources.
add_executable(velumo_brush_preview_generator BrushPreviewGenerator.cpp)
target_link_libraries(velumo_brush_preview_generator PRIVATE velumo_core)

set(VELUMO_BRUSH_SOURCE_DIR ${PROJECT_SOURCE_DIR}/resources/share/brushes/brushes)
set(VELUMO_BRUSH_PREVIEW_DIR ${VELUMO_SHARE_DIR}/brushes/brushes)
file(GLOB_RECURSE brush_files CONFIGURE_DEPENDS ${VELUMO_BRUSH_SOURCE_DIR}/*.myb)
set(brush_entries)
set(brush_previews)
foreach(brush_file IN LISTS brush_files)
  file(RELATIVE_PATH rel ${VELUMO_BRUSH_SOURCE_DIR} ${brush_file})
  string(REGEX REPLACE "\\.myb$" "" entry ${rel})
  list(APPEND brush_entries ${entry})
  list(APPEND brush_previews ${VELUMO_BRUSH_PREVIEW_DIR}/${entry}_prev.png)
endforeach()
add_custom_command(
  OUTPUT ${brush_previews}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:velumo_brush_preview_generator>
          ${VELUMO_BRUSH_SOURCE_DIR} ${VELUMO_BRUSH_PREVIEW_DIR} ${brush_entries}
  DEPENDS velumo_brush_preview_generator ${brush_files}
  VERBATIM)
add_custom_target(velumo_brush_previews ALL DEPENDS ${brush_previews})
add_dependencies(velumo_resources velumo_brush_previews)
