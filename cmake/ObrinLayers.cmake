# The folders of editor/ are layers, and the build keeps them one-way: a file
# sees only the headers it may include, so an include that goes the other way
# does not compile.
#
# Each layer is two static libraries: obrin_<layer>, its plain C++ core, and
# obrin_<layer>_qt, its qt/ folder. obrin_<layer> links the core of the layer
# below; obrin_<layer>_qt links obrin_<layer> and the qt library of the layer
# below. Each library puts on the include path a folder of the build tree that
# holds a link to each of its own headers ("base/x.h", "base/qt/y.h"), never
# the source folder itself, which would hand the core its qt/ headers too.
# The links follow the source folders at every configure, and CONFIGURE_DEPENDS
# configures again when a header comes or goes.
#
# Each library also compiles all_headers.cpp, which includes every header of
# its folder, so a header that only higher layers include is held to its own
# layer as well.

function(_obrin_expose_headers target folder)
    set(root ${CMAKE_CURRENT_BINARY_DIR}/layers/${target})
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
    file(REMOVE_RECURSE ${root}/include)
    file(MAKE_DIRECTORY ${root}/include/${folder})
    set(includes "")
    foreach(header IN LISTS headers)
        get_filename_component(name ${header} NAME)
        file(CREATE_LINK ${header} ${root}/include/${folder}/${name} SYMBOLIC)
        string(APPEND includes "#include \"${folder}/${name}\"\n")
    endforeach()
    file(CONFIGURE OUTPUT ${root}/all_headers.cpp CONTENT "${includes}")
    target_sources(${target} PRIVATE ${root}/all_headers.cpp)
    target_include_directories(${target} PUBLIC ${root}/include)
endfunction()

# obrin_add_layer(LAYER [BELOW LOWER_LAYER]): obrin_LAYER and obrin_LAYER_qt
# over editor/LAYER and editor/LAYER/qt; their folder's CMakeLists.txt adds
# the sources.
function(obrin_add_layer layer)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "BELOW" "")
    add_library(obrin_${layer} STATIC)
    add_library(obrin_${layer}_qt STATIC)
    set_target_properties(obrin_${layer}_qt PROPERTIES AUTOMOC ON)
    target_link_libraries(obrin_${layer}_qt PUBLIC obrin_${layer} Qt6::Widgets)
    if(ARG_BELOW)
        target_link_libraries(obrin_${layer} PUBLIC obrin_${ARG_BELOW})
        target_link_libraries(obrin_${layer}_qt PUBLIC obrin_${ARG_BELOW}_qt)
    endif()
    _obrin_expose_headers(obrin_${layer} ${layer})
    _obrin_expose_headers(obrin_${layer}_qt ${layer}/qt)
endfunction()
