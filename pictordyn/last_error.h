// The process-wide last-error number of the library's own failures.
#pragma once

extern int px_lastError;
