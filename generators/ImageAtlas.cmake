# The images drawn above, decoded once more at build time into
# share/velumo/images.atlas, which the program maps at start-up instead of
# inflating each file. The PNG files stay: the atlas only saves decoding.
add_executable(velumo_image_atlas_generator ImageAtlasGenerator.cpp)
target_include_directories(velumo_image_atlas_generator PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(velumo_image_atlas_generator PRIVATE Qt6::Gui)

set(atlas_folders . skins ribbon images)
set(brush_groups)
foreach(entry IN LISTS brush_entries)
  get_filename_component(group ${entry} DIRECTORY)
  list(APPEND brush_groups brushes/brushes/${group})
endforeach()
list(REMOVE_DUPLICATES brush_groups)
list(APPEND atlas_folders ${brush_groups})

set(VELUMO_IMAGE_ATLAS ${VELUMO_SHARE_DIR}/images.atlas)
add_custom_command(
  OUTPUT ${VELUMO_IMAGE_ATLAS}
  COMMAND $<TARGET_FILE:velumo_image_atlas_generator> ${VELUMO_SHARE_DIR} ${atlas_folders}
  DEPENDS velumo_image_atlas_generator ${VELUMO_SKIN_DIR}/skins.list ${VELUMO_RIBBON_ICON_DIR}/ribbon-icons.list
          ${template_images} ${service_images} ${VELUMO_SHARE_DIR}/velumo.png ${brush_previews}
  VERBATIM)
add_custom_target(velumo_image_atlas ALL DEPENDS ${VELUMO_IMAGE_ATLAS})
add_dependencies(velumo_image_atlas velumo_skins velumo_ribbon_icons velumo_template_images velumo_service_images
  velumo_icons velumo_brush_previews)
add_dependencies(velumo_resources velumo_image_atlas)
