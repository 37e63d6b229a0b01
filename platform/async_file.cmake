# Asynchronous files: io_uring on Linux (the synchronous engine covers systems
# that refuse it at run time).
if(NOT WIN32)
  find_library(QX_URING_LIBRARY uring REQUIRED)
  target_link_libraries(qx_platform PUBLIC ${QX_URING_LIBRARY})
endif()
