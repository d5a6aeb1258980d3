# The online services' images, drawn at build time into the resource
# folder (share/velumo/emotion_sad.png and its @2x), installed with the
# other resources.
add_executable(velumo_service_image_generator ServiceImageGenerator.cpp)
target_link_libraries(velumo_service_image_generator PRIVATE Qt6::Gui)
set(service_images ${VELUMO_SHARE_DIR}/emotion_sad.png ${VELUMO_SHARE_DIR}/emotion_sad@2x.png)
add_custom_command(
  OUTPUT ${service_images}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:velumo_service_image_generator> ${VELUMO_SHARE_DIR}
  DEPENDS velumo_service_image_generator
  VERBATIM)
add_custom_target(velumo_service_images ALL DEPENDS ${service_images})
add_dependencies(velumo_resources velumo_service_images)
