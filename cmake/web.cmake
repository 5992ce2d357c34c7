# The web page (./build.sh web): the window's program compiled to
# WebAssembly, with 128-bit SIMD for the engine's byte loops, and a static
# site in the build folder: index.html, page.js, cerebrix.js, cerebrix.wasm.
# No threads, so the page needs no cross-origin isolation.
# -mssse3: the reader's 16-byte kernels and its SSE2 block tests, whose
# operations Emscripten maps onto SIMD128 one for one.
add_compile_options(-msimd128 -mssse3 -fexceptions)
# The browser's file system is no Linux: the core keeps to plain POSIX calls.
set(CEREBRIX_PORTABLE_CORE ON CACHE BOOL "" FORCE)
# size_t is 32 bits here: the engine's and storage's 64-bit counts narrow
# where they index memory, which cannot exceed 4 GiB on this target anyway.
# (After -Wconversion, which would turn the warning on again.)
target_compile_options(cerebrix_warnings INTERFACE -Wno-shorten-64-to-32)
add_link_options(-fexceptions)

add_subdirectory(platform)
add_subdirectory(brain)
add_subdirectory(storage)
add_subdirectory(window)
add_subdirectory(commands)
add_subdirectory(files)

add_executable(cerebrix_web app/web_main.cpp app/program.cpp)
target_include_directories(cerebrix_web PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(cerebrix_web PRIVATE files commands window platform_web)
set_target_properties(cerebrix_web PROPERTIES OUTPUT_NAME cerebrix RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/site)
target_link_options(cerebrix_web PRIVATE
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB -sINITIAL_MEMORY=64MB
  -sFORCE_FILESYSTEM=1 -lidbfs.js
  -sEXPORTED_FUNCTIONS=_main,_cx_pointer,_cx_key,_cx_key_up,_cx_wheel,_cx_blur,_cx_drop,_cx_menu_point,_cx_control_text,_malloc,_free
  -sEXPORTED_RUNTIME_METHODS=FS,IDBFS,ccall,UTF8ToString,HEAPU8
  -sINVOKE_RUN=1 -sEXIT_RUNTIME=0)

# The page around the program, and the licence it is shown under.
foreach(f index.html page.js page_files.js offline.js)
  configure_file(${PROJECT_SOURCE_DIR}/platform/web/${f} ${CMAKE_BINARY_DIR}/site/${f} COPYONLY)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/site/LICENSE.txt COPYONLY)
cerebrix_use_warnings(${PROJECT_SOURCE_DIR})

# The benchmark page: the engine and the reader timed in the browser.
add_executable(web_figures bench/web/web_figures.cpp)
target_include_directories(web_figures PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(web_figures PRIVATE storage brain)
set_target_properties(web_figures PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
target_link_options(web_figures PRIVATE -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB -sINITIAL_MEMORY=64MB
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sEXPORTED_RUNTIME_METHODS=callMain)
configure_file(${PROJECT_SOURCE_DIR}/bench/web/bench.html ${CMAKE_BINARY_DIR}/bench/index.html COPYONLY)
