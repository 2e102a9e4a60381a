# Third-party libraries.  Nothing is copied into the tree: the cross build
# takes jsoncpp, TinyXML and minizip's reader from the cache that
# scripts/setup fills from Debian's source packages, the native build takes
# Debian's -dev packages (minizip is needed on Windows only);
# RapidJSON and GoogleTest come from their Debian packages in both.

if(WIN32)
  if(NOT ZELK_DEPS_DIR)
    if(DEFINED ENV{XDG_CACHE_HOME})
      set(ZELK_DEPS_DIR "$ENV{XDG_CACHE_HOME}/zelk-deps")
    else()
      set(ZELK_DEPS_DIR "$ENV{HOME}/.cache/zelk-deps")
    endif()
  endif()
  set(cross_prefix "${ZELK_DEPS_DIR}/i686-w64-mingw32")
  foreach(lib jsoncpp tinyxml minizip)
    if(NOT EXISTS "${cross_prefix}/lib/lib${lib}.a")
      message(FATAL_ERROR "lib${lib}.a is missing in ${cross_prefix}; run scripts/setup")
    endif()
  endforeach()

  add_library(deps_jsoncpp STATIC IMPORTED GLOBAL)
  set_target_properties(deps_jsoncpp PROPERTIES
    IMPORTED_LOCATION "${cross_prefix}/lib/libjsoncpp.a"
    INTERFACE_INCLUDE_DIRECTORIES "${cross_prefix}/include")
  add_library(deps_tinyxml STATIC IMPORTED GLOBAL)
  set_target_properties(deps_tinyxml PROPERTIES
    IMPORTED_LOCATION "${cross_prefix}/lib/libtinyxml.a"
    INTERFACE_INCLUDE_DIRECTORIES "${cross_prefix}/include"
    INTERFACE_COMPILE_DEFINITIONS TIXML_USE_STL)
  # The skin archive's reader; zlib comes from libz-mingw-w64-dev.
  add_library(deps_minizip STATIC IMPORTED GLOBAL)
  set_target_properties(deps_minizip PROPERTIES
    IMPORTED_LOCATION "${cross_prefix}/lib/libminizip.a"
    INTERFACE_INCLUDE_DIRECTORIES "${cross_prefix}/include"
    INTERFACE_LINK_LIBRARIES z)
else()
  find_path(JSONCPP_INCLUDE_DIR json/json.h PATH_SUFFIXES jsoncpp REQUIRED)
  find_library(JSONCPP_LIBRARY jsoncpp REQUIRED)
  add_library(deps_jsoncpp UNKNOWN IMPORTED GLOBAL)
  set_target_properties(deps_jsoncpp PROPERTIES
    IMPORTED_LOCATION "${JSONCPP_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${JSONCPP_INCLUDE_DIR}")
  find_path(TINYXML_INCLUDE_DIR tinyxml.h REQUIRED)
  find_library(TINYXML_LIBRARY tinyxml REQUIRED)
  add_library(deps_tinyxml UNKNOWN IMPORTED GLOBAL)
  set_target_properties(deps_tinyxml PROPERTIES
    IMPORTED_LOCATION "${TINYXML_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${TINYXML_INCLUDE_DIR}"
    INTERFACE_COMPILE_DEFINITIONS TIXML_USE_STL)
endif()

# RapidJSON is header-only.  The cross compiler must not see the rest of
# /usr/include, so it gets a folder that holds only a link to rapidjson/.
set(rapidjson_root "${CMAKE_BINARY_DIR}/third_party/rapidjson-include")
if(NOT EXISTS "${rapidjson_root}/rapidjson")
  file(MAKE_DIRECTORY "${rapidjson_root}")
  file(CREATE_LINK /usr/include/rapidjson "${rapidjson_root}/rapidjson" SYMBOLIC)
endif()
add_library(deps_rapidjson INTERFACE)
target_include_directories(deps_rapidjson SYSTEM INTERFACE "${rapidjson_root}")
