include(GoogleTest)

# kiv_library(NAME DIR [QT] LINKS ...): a static library from every .cpp in DIR.
function(kiv_library name dir)
  cmake_parse_arguments(ARG "QT" "" "LINKS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
  file(GLOB cpps CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT cpps)
    # Nothing written here yet: an interface target keeps the dependency graph whole.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_LINKS})
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  if(NOT ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
  endif()
endfunction()

# kiv_test(NAME DIR [OWN_MAIN] LINKS ...): one GoogleTest executable from every .cpp in DIR.
# OWN_MAIN: the folder brings its main() (the Qt tests make their QApplication there).
function(kiv_test name dir)
  cmake_parse_arguments(ARG "OWN_MAIN" "" "LINKS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gmock)
  # The test code itself is built for a quick build, not for speed (the code under test keeps
  # the build's optimisation): GoogleTest's macros make -O2 slow to compile.
  target_compile_options(${name} PRIVATE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-O1>)
  if(NOT ARG_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
  endif()
  # One ctest entry per test case, so a failure names its case; each case runs in a process
  # of its own (the programs' mains give every process its own folders). ctest lists the
  # cases when it runs; listing needs nothing of the environment below (the Qt mains
  # choose the offscreen platform themselves).
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
  # The environment goes on the listed cases from a file read after the list: passed
  # through the discovery, a list value would come apart at its semicolons.
  set(env "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;KIV_BIN_DIR=${CMAKE_BINARY_DIR}/bin;KIV_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  set(props ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${props} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"${env}\" TIMEOUT 600)\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${props})
endfunction()

# A small program of tests/tools: NAME.cpp beside the calling list, linked with LINKS; a QT
# tool is left out of the Qt-free builds.
function(kiv_tool name)
  cmake_parse_arguments(ARG "QT" "" "LINKS" ${ARGN})
  if((ARG_QT AND KIV_CORE_ONLY) OR NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
    return()
  endif()
  add_executable(${name} ${name}.cpp)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS})
endfunction()
