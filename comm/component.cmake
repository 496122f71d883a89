# The serial port component, its two workers and the platform layer beneath them.
target_sources(kx71_comm PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommX.cpp
  ${CMAKE_CURRENT_LIST_DIR}/comm_notifier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/comm_workers.cpp
)
# The platform's implementation of comm/serial_device.h (a Windows one goes beside it in win/).
if(NOT WIN32)
  target_sources(kx71_comm PRIVATE ${CMAKE_CURRENT_LIST_DIR}/posix/serial_device_posix.cpp)
endif()
# Windows: the communications API behind comm/serial_device.h.
if(WIN32)
  target_sources(kx71_comm PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win/serial_device_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win/win_dcb.cpp)
  target_link_libraries(kx71_comm PRIVATE user32)  # the read's wait also wakes for window messages
endif()
