# Port-number mapping and port discovery: a library of its own (the component's open and the
# window's selector both use it; its tests need nothing else), part of kx71_comm for its users.
add_library(kx71_ports STATIC
  ${CMAKE_CURRENT_LIST_DIR}/port_discovery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_names.cpp)
if(WIN32)
  target_sources(kx71_ports PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/port_registry_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/port_map_win.cpp)
else()
  target_sources(kx71_ports PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/port_catalog_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/port_map_posix.cpp)
endif()
target_include_directories(kx71_ports PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(kx71_ports PUBLIC kx71_protocol)
target_link_libraries(kx71_comm PUBLIC kx71_ports)
if(WIN32)
  target_link_libraries(kx71_ports PRIVATE advapi32)  # the registry
endif()
