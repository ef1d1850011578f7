# kelvomark_man_page(TARGET NAME_LINE): the manual page of a command-line program, made at build
# time by help2man from the program's own --help and --version, so that the two never differ.
# The sections --help cannot hold (NAME, SEE ALSO and more) come from data/man/TARGET.h2m.
# It is installed as share/man/man1/TARGET.1.gz, and so goes into the Debian package too.
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(NOT HELP2MAN OR NOT GZIP)
    message(WARNING "help2man or gzip is missing: no manual pages (apt install help2man)")
endif()

function(kelvomark_man_page target name_line)
    if(NOT HELP2MAN OR NOT GZIP)
        return()
    endif()
    set(dir ${CMAKE_BINARY_DIR}/man/man1)
    set(page ${dir}/${target}.1)
    set(include ${PROJECT_SOURCE_DIR}/data/man/${target}.h2m)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        # A sanitizer build runs the program here too; this run is no leak check.
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
                ${HELP2MAN} --no-info --section=1 --name=${name_line} --include=${include}
                --output=${page} $<TARGET_FILE:${target}>
        COMMAND ${CMAKE_COMMAND} -DPAGE=${page} -DNAME=${target} -P ${PROJECT_SOURCE_DIR}/cmake/ManPageFinish.cmake
        COMMAND ${GZIP} -9nf ${page}
        DEPENDS ${target} ${include} ${PROJECT_SOURCE_DIR}/cmake/ManPageFinish.cmake
        COMMENT "Manual page of ${target}"
        VERBATIM)
    add_custom_target(${target}-man ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
