# Puts the program (its loader with the WebAssembly embedded) and the
# worker's script into the page, as text the page starts its worker from.
# Inside a <script> element only "</script" would end it early; in the
# loader it can only stand in a string, where "<\/script" reads the same.
file(READ "${PAGE}" page)
file(READ "${ENGINE}" engine)
file(READ "${WORKER}" worker)
string(REPLACE "</script" "<\\/script" engine "${engine}")
string(REPLACE "</script" "<\\/script" worker "${worker}")
# "<!--" would put the HTML parser into a state where "</script" no longer ends the element.
string(REPLACE "<!--" "<\\!--" engine "${engine}")
string(REPLACE "@KESTRO_VERSION@" "${VERSION}" page "${page}")
# The licences of everything the page carries, as text.
file(READ "${COPYRIGHT}" copyright)
string(REPLACE "&" "&amp;" copyright "${copyright}")
string(REPLACE "<" "&lt;" copyright "${copyright}")
string(REPLACE ">" "&gt;" copyright "${copyright}")
string(REPLACE "@KESTRO_COPYRIGHT@" "${copyright}" page "${page}")
string(FIND "${page}" "@KESTRO_WORKER@" at)
if(at LESS 0)
  message(FATAL_ERROR "${PAGE} has no @KESTRO_WORKER@")
endif()
string(REPLACE "@KESTRO_WORKER@" "${engine}\n${worker}" page "${page}")
file(WRITE "${OUT}.partial" "${page}")
file(RENAME "${OUT}.partial" "${OUT}")
