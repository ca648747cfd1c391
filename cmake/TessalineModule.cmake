# Optional modules: a heavy library that only one feature needs (the video
# encoders, the PDF renderer) is linked into a module of its own, which the
# program loads with form/OptionalModule when the feature is first used.
#
# A module lies in the package's private library folder, and in the build tree
# at the same place relative to the program's folder, so that one relative path
# finds it from both: build/app/tessaline finds build/lib/<arch>/tessaline/.
include(GNUInstallDirs)
# GNUInstallDirs gives the multiarch folder only for a prefix of /usr, and the
# .deb is made from a build for /usr/local: name it for every prefix.
set(_module_libdir "${CMAKE_INSTALL_LIBDIR}")
if(_module_libdir STREQUAL "lib" AND CMAKE_LIBRARY_ARCHITECTURE)
    set(_module_libdir "lib/${CMAKE_LIBRARY_ARCHITECTURE}")
endif()
set(TESSALINE_MODULE_INSTALL_DIR "${_module_libdir}/tessaline")
file(RELATIVE_PATH TESSALINE_MODULE_DIR_FROM_BIN "/prefix/${CMAKE_INSTALL_BINDIR}"
     "/prefix/${TESSALINE_MODULE_INSTALL_DIR}")

# tessaline_add_module(NAME sources...) makes libtessaline-NAME.so, which
# exports tessaline_module_version() for the loader to check.
function(tessaline_add_module name)
    set(target tessaline_module_${name})
    add_library(${target} MODULE ${ARGN} ${PROJECT_SOURCE_DIR}/form/ModuleVersion.cpp)
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME tessaline-${name}
        LIBRARY_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/${TESSALINE_MODULE_INSTALL_DIR}"
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    target_compile_definitions(${target} PRIVATE TESSALINE_VERSION="${PROJECT_VERSION}")
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
    # A symbol the module lacks fails its build, not its first use. (The
    # sanitizers' runtime is the program's, so their builds can't check this.)
    if(NOT TESSALINE_SANITIZE)
        target_link_options(${target} PRIVATE LINKER:--no-undefined)
    endif()
    install(TARGETS ${target} LIBRARY DESTINATION ${TESSALINE_MODULE_INSTALL_DIR})
endfunction()
