# The serial port component, its two workers and the platform layer beneath them.
target_sources(kx71_comm PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommX.cpp
)
