# Assembles the page: the game's files, the page's own and the icons, then
# the service worker with the list of them all and a cache name made from
# their contents, so that a changed page replaces the kept copy.
file(REMOVE_RECURSE ${PAGE_DIR})
file(MAKE_DIRECTORY ${PAGE_DIR})
file(COPY ${GAME_DIR}/tombslide.js ${GAME_DIR}/tombslide.wasm ${GAME_DIR}/tombslide.data
  ${PAGE_SRC}/index.html ${PAGE_SRC}/page.js ${PAGE_SRC}/manifest.webmanifest
  DESTINATION ${PAGE_DIR})
foreach(icon 192 512 maskable)
  file(COPY ${ASSETS}/web-icon-${icon}.png DESTINATION ${PAGE_DIR})
  file(RENAME ${PAGE_DIR}/web-icon-${icon}.png ${PAGE_DIR}/icon-${icon}.png)
endforeach()

file(GLOB files RELATIVE ${PAGE_DIR} ${PAGE_DIR}/*)
list(SORT files)
set(all "")
set(list "'./'")
foreach(f ${files})
  file(SHA256 ${PAGE_DIR}/${f} sum)
  string(APPEND all "${f} ${sum}\n")
  string(APPEND list ", '${f}'")
endforeach()
string(SHA256 version "${all}")
string(SUBSTRING ${version} 0 16 VERSION)
set(FILES "${list}")
configure_file(${PAGE_SRC}/sw.js.in ${PAGE_DIR}/sw.js @ONLY)
