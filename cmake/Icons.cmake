# SPDX-License-Identifier: GPL-3.0-or-later
# zr640_render_icon(SIZE OUTPUT): OUTPUT, a SIZE x SIZE PNG of the program's icon, rendered at
# build time from its one source, packaging/icons/zr640.svg (for the hicolor theme and for the
# Qt window icon alike).
find_program(ZR640_RSVG_CONVERT rsvg-convert REQUIRED)

function(zr640_render_icon size output)
  set(source ${PROJECT_SOURCE_DIR}/packaging/icons/zr640.svg)
  get_filename_component(folder ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${ZR640_RSVG_CONVERT} --width ${size} --height ${size} --output ${output} ${source}
    DEPENDS ${source}
    COMMENT "Rendering the ${size} px icon"
    VERBATIM)
endfunction()
