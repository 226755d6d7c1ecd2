# cmake -DIN=<skin.xml> -DOUT=<hostile.xml> -P HostileSkin.cmake
# Writes the launcher's skin with every stretching filler "<Control />" made
# a tile layout whose negative gap cancels its 80-pixel cells, each holding
# two green tiles.
file(READ ${IN} skin)
string(FIND "${skin}" "<Control />" found)
if(found EQUAL -1)
  message(FATAL_ERROR "${IN} has no filler <Control /> left to make hostile")
endif()
string(REPLACE "<Control />"
       "<TileLayout itemsize=\"80,80\" childpadding=\"-80\"><Control bkcolor=\"#FF00FF00\" /><Control bkcolor=\"#FF00FF00\" /></TileLayout>"
       skin "${skin}")
file(WRITE ${OUT} "${skin}")
