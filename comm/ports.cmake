# Port-number mapping and port discovery.
target_sources(kx71_comm PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/port_discovery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_names.cpp)
if(UNIX)
  target_sources(kx71_comm PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/port_catalog_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/port_map_posix.cpp)
endif()
