# The pictures are compiled into the Linux backend: every resources/images/<id>-*.png (and
# .bmp) becomes an array found by its id (controls_pictures.h).
file(GLOB XINGHE_PICTURE_FILES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/resources/images/*.png ${CMAKE_SOURCE_DIR}/resources/images/*.bmp)
set(XINGHE_PICTURES_SOURCE ${CMAKE_BINARY_DIR}/generated/embedded_pictures.cpp)
add_custom_command(
  OUTPUT ${XINGHE_PICTURES_SOURCE}
  COMMAND ${CMAKE_COMMAND} -DIMAGES_DIR=${CMAKE_SOURCE_DIR}/resources/images
          -DOUTPUT=${XINGHE_PICTURES_SOURCE} -P ${CMAKE_CURRENT_SOURCE_DIR}/controls_embed_pictures.cmake
  DEPENDS ${XINGHE_PICTURE_FILES} ${CMAKE_CURRENT_SOURCE_DIR}/controls_embed_pictures.cmake
  COMMENT "Embedding the pictures"
  VERBATIM)
target_sources(xinghe-backend PRIVATE ${XINGHE_PICTURES_SOURCE})
