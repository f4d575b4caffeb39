# The Windows module imports the SDK from XPLM_64.dll and XPWidgets_64.dll.
# Their import libraries are made here from the project's own lists of the
# functions it calls (cmake/sdk/*.def), so no file of the SDK is needed.
set(KESTRIX_SDK_DEF_DIR ${CMAKE_CURRENT_LIST_DIR}/sdk)
set(KESTRIX_SDK_IMPORT_DIR ${PROJECT_BINARY_DIR}/sdk-imports)

function(kestrix_sdk_import_library dll)
  set(def ${KESTRIX_SDK_DEF_DIR}/${dll}.def)
  set(lib ${KESTRIX_SDK_IMPORT_DIR}/lib${dll}.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTRIX_SDK_IMPORT_DIR}
    COMMAND ${CMAKE_DLLTOOL} -d ${def} -l ${lib} -D ${dll}.dll
    DEPENDS ${def}
    COMMENT "Import library for ${dll}.dll")
  add_custom_target(${dll}_imports DEPENDS ${lib})
  add_dependencies(xplane_sdk_imports ${dll}_imports)
  target_link_libraries(xplane_sdk INTERFACE ${lib})
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/sdk_functions.cmake)

add_custom_target(xplane_sdk_imports)
kestrix_sdk_import_library(XPLM_64)
kestrix_sdk_import_library(XPWidgets_64)
