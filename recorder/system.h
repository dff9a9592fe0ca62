// system.h -- what the recorder asks of the operating system: interrupts, its frame folder, replacing a file
#pragma once

// Catches Ctrl+C and termination into interrupted (output.h). On Linux the handlers have
// no SA_RESTART, so a blocking call returns EINTR, and SIGPIPE is ignored, so that a dead
// encoder shows as a failed write.
void interrupt_handlers_install();
// Creates the folder; 1 when it exists afterwards.
int make_directory(const char* path);
// Moves from to to, replacing a file already there; 1 on success, else 0 with errno set.
int replace_file(const char* from, const char* to);
