#include "handle.h"

namespace qx::sim {

const char* errorText(int error) {
  switch (error) {
    case 0: return "no error";
    case ACQSIM_ERR_INVALID_HANDLE: return "px-struct is not initialized";
    case ACQSIM_ERR_ARGUMENT: return "invalid argument";
    case ACQSIM_ERR_PORT: return "invalid port";
    case ACQSIM_ERR_MEMORY_HANDLE: return "invalid memory handle";
    case ACQSIM_ERR_NO_MEMORY: return "out of memory";
    case ACQSIM_ERR_BUFFER_TOO_SMALL: return "buffer too small for the picture";
    case ACQSIM_ERR_BUSY: return "in use by a running acquisition";
    case ACQSIM_ERR_ACQUIRING: return "port already acquires";
    case ACQSIM_ERR_NOT_ACQUIRING: return "no acquisition that can deliver the picture";
    case ACQSIM_ERR_TIMEOUT: return "time-out";
    case ACQSIM_ERR_PARAMETER: return "unknown or read-only parameter";
    case ACQSIM_ERR_VALUE: return "parameter value out of range";
    case ACQSIM_ERR_FILE: return "configuration file cannot be written";
    case ACQSIM_ERR_NO_PICTURE: return "picture not in memory";
    case ACQSIM_ERR_EMPTY_BUFFER: return "memory slot without buffer";
    case ACQSIM_ERR_SELECTOR: return "unknown selector";
    case ACQSIM_ERR_INTERNAL: return "internal error";
    case ACQSIM_ERR_CONFIG_FILE: return "invalid config file";
    default: return "unknown error";
  }
}

}  // namespace qx::sim
