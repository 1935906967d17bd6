# The warm converter: LibreOffice driven through UNO. Needs the SDK (Debian's
# libreoffice-dev); without it kv converts through the command line only.
set(KV_LO_SDK /usr/lib/libreoffice/sdk CACHE PATH "LibreOffice SDK")
set(KV_LO_PROGRAM /usr/lib/libreoffice/program CACHE PATH "LibreOffice's program folder")
find_program(KV_CPPUMAKER cppumaker PATHS ${KV_LO_SDK}/bin NO_DEFAULT_PATH)
find_library(KV_UNO_CPPUHELPER uno_cppuhelpergcc3 PATHS ${KV_LO_SDK}/lib NO_DEFAULT_PATH)
find_library(KV_UNO_CPPU uno_cppu PATHS ${KV_LO_SDK}/lib NO_DEFAULT_PATH)
find_library(KV_UNO_SAL uno_sal PATHS ${KV_LO_SDK}/lib NO_DEFAULT_PATH)
set(KV_UNO_RDBS ${KV_LO_PROGRAM}/types.rdb ${KV_LO_PROGRAM}/types/offapi.rdb)
if(NOT (KV_CPPUMAKER AND KV_UNO_CPPUHELPER AND KV_UNO_CPPU AND KV_UNO_SAL
        AND EXISTS ${KV_LO_SDK}/include/cppuhelper/bootstrap.hxx))
  message(STATUS "LibreOffice SDK not found: .doc conversions go through the command line")
  return()
endif()
foreach(rdb ${KV_UNO_RDBS})
  if(NOT EXISTS ${rdb})
    message(STATUS "${rdb} not found: .doc conversions go through the command line")
    return()
  endif()
endforeach()

# Headers for just the UNO types the converter uses (and what they depend on).
set(uno_types
  com.sun.star.beans.PropertyValue com.sun.star.bridge.UnoUrlResolver
  com.sun.star.connection.NoConnectException com.sun.star.frame.Desktop
  com.sun.star.frame.XStorable com.sun.star.io.IOException
  com.sun.star.lang.IllegalArgumentException com.sun.star.lang.XComponent
  com.sun.star.uno.DeploymentException com.sun.star.uno.XComponentContext
  com.sun.star.util.XCloseable)
set(uno_include ${CMAKE_BINARY_DIR}/uno_include)
list(JOIN uno_types ";" uno_type_list)
add_custom_command(
  OUTPUT ${uno_include}/com/sun/star/frame/Desktop.hpp
  COMMAND ${KV_CPPUMAKER} -O${uno_include} "-T${uno_type_list}" ${KV_UNO_RDBS}
  DEPENDS ${KV_UNO_RDBS}
  COMMENT "Generating the UNO headers"
  VERBATIM)

target_sources(kv_convert PRIVATE ${CMAKE_SOURCE_DIR}/src/convert/uno/warm_converter.cpp
                               ${uno_include}/com/sun/star/frame/Desktop.hpp)
if(KV_SANITIZE)
  # UNO's proxies for LibreOffice's objects have vtables the bridge makes at run time,
  # which the vptr check cannot tell from a wrong type.
  set_source_files_properties(${CMAKE_SOURCE_DIR}/src/convert/uno/warm_converter.cpp
                              PROPERTIES COMPILE_OPTIONS -fno-sanitize=vptr)
endif()
target_include_directories(kv_convert SYSTEM PRIVATE ${uno_include} ${KV_LO_SDK}/include)
target_compile_definitions(kv_convert PRIVATE KV_HAVE_UNO=1 LINUX UNX CPPU_ENV=gcc3
                                           KV_LIBREOFFICE_PROGRAM="${KV_LO_PROGRAM}")
target_link_libraries(kv_convert PUBLIC ${KV_UNO_CPPUHELPER} ${KV_UNO_CPPU} ${KV_UNO_SAL})
# The SDK's link names point into the program folder, where the libraries load from.
target_link_options(kv_convert INTERFACE "LINKER:-rpath,${KV_LO_PROGRAM}")
message(STATUS "LibreOffice SDK found: .doc conversions keep LibreOffice running")
