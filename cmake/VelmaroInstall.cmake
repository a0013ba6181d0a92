# `cmake --install`: the programs and the files they look for beside themselves (NIVELLARI.DBF,
# the help files, Tavolin.ini) go together into one folder, lib/velmaro; bin/ gets links to the
# programs, and the desktop entry goes where desktops find it.
include(GNUInstallDirs)
set(VELMARO_INSTALL_DIR lib/velmaro)

set(velmaro_programs velmaro-cli)
set(velmaro_files ${VELMARO_RUNTIME_DIR}/NIVELLARI.DBF)
if(VELMARO_BUILD_GUI)
  list(APPEND velmaro_programs velmaro)
  list(APPEND velmaro_files
    ${VELMARO_RUNTIME_DIR}/RUVED.chm
    ${VELMARO_RUNTIME_DIR}/RACIMA.chm
    ${PROJECT_SOURCE_DIR}/data/velmaro.desktop)
  install(FILES ${PROJECT_SOURCE_DIR}/data/velmaro.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

install(TARGETS ${velmaro_programs} RUNTIME DESTINATION ${VELMARO_INSTALL_DIR})
install(FILES ${velmaro_files} DESTINATION ${VELMARO_INSTALL_DIR})

# The links keep the programs in their folder: they find their files through the real path.
foreach(program IN LISTS velmaro_programs)
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK \"../${VELMARO_INSTALL_DIR}/${program}\" \"\${bin}/${program}\" SYMBOLIC)
    message(STATUS \"Installing: \${bin}/${program} -> ../${VELMARO_INSTALL_DIR}/${program}\")")
endforeach()
