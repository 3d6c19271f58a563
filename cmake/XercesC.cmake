# Finds Xerces-C++ and provides the target XercesC::XercesC.
#
# The project's scripts point XercesC_DIR at the package file of a static
# build made from Debian's source package; without it, a system Xerces
# (Debian's libxerces-c-dev, vcpkg's on Windows) is found.
# The static library needs the thread library its package file names.
find_package(Threads REQUIRED)
find_package(XercesC CONFIG QUIET)
if(NOT XercesC_FOUND)
  find_package(XercesC MODULE REQUIRED)
endif()

get_target_property(_xerces_type XercesC::XercesC TYPE)
if(_xerces_type STREQUAL "STATIC_LIBRARY" AND WIN32)
  # Without this the headers declare every symbol as imported from a DLL.
  set_property(TARGET XercesC::XercesC APPEND PROPERTY
               INTERFACE_COMPILE_DEFINITIONS XERCES_STATIC_LIBRARY)
endif()
