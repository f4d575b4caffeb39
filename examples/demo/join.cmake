# The demo aircraft's data.cfg: the sample's boards and the section of the
# demo's emulated board. Run with -DOUT=... -DFILES="a;b".
set(text "")
foreach(file ${FILES})
  file(READ ${file} part)
  string(APPEND text "${part}")
endforeach()
file(WRITE ${OUT}.new "${text}")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
