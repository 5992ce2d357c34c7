# The warnings every target of ours is built with, as one INTERFACE target;
# with CEREBRIX_WERROR (CI) they are errors. Each folder's targets are linked
# to it below, so a target added later cannot be left out.
add_library(cerebrix_warnings INTERFACE)
target_compile_options(cerebrix_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wconversion -Wsign-conversion
  $<$<BOOL:${CEREBRIX_WERROR}>:-Werror>)

# cerebrix_use_warnings(folder...): every target built in those folders and below.
function(cerebrix_use_warnings)
  foreach(dir ${ARGN})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t ${targets})
      get_target_property(type ${t} TYPE)
      if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|EXECUTABLE)$")
        target_link_libraries(${t} PRIVATE cerebrix_warnings)
      endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    if(subdirs)
      cerebrix_use_warnings(${subdirs})
    endif()
  endforeach()
endfunction()
