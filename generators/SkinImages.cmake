# The skinned controls' images, drawn at build time into
# share/velumo/skins/ (name.png and name@2x.png), installed with the other
# resources. skins.list names every file written.
add_executable(velumo_skin_generator SkinImageGenerator.cpp)
target_link_libraries(velumo_skin_generator PRIVATE Qt6::Gui)

set(VELUMO_SKIN_DIR ${VELUMO_SHARE_DIR}/skins)
add_custom_command(
  OUTPUT ${VELUMO_SKIN_DIR}/skins.list
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:velumo_skin_generator> ${VELUMO_SKIN_DIR}
  DEPENDS velumo_skin_generator
  VERBATIM)
add_custom_target(velumo_skins ALL DEPENDS ${VELUMO_SKIN_DIR}/skins.list)
add_dependencies(velumo_resources velumo_skins)
