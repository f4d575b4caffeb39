# The SDK functions Kestrix calls, as cmake/sdk/XPLM_64.def and
# cmake/sdk/XPWidgets_64.def list them: the Windows import libraries are
# made from these lists, and the macOS module leaves exactly these names
# for the simulator to resolve.

# kestrix_sdk_function_names(<list> <var>): what cmake/sdk/<list>.def lists
# under EXPORTS, one name per line.
function(kestrix_sdk_function_names dll out)
  file(STRINGS ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/sdk/${dll}.def lines REGEX "^  [A-Za-z]")
  list(TRANSFORM lines STRIP)
  set(${out} ${lines} PARENT_SCOPE)
endfunction()
