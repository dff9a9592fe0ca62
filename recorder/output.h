// output.h -- output files that appear under their own name only when complete, and the interrupt flag
#pragma once

#include <csignal>
#include <string>

// Set by an interrupt (Ctrl+C and the like) once interrupt_handlers_install has run.
extern volatile sig_atomic_t interrupted;

// The temporary name a file is written under: same directory, so the rename is atomic.
std::string part_path(const char* path);
// Moves the finished part file to its own name; 1 on success, else prints why and removes it.
int part_commit(const char* path);
// Removes the part file of path, if any.
void part_discard(const char* path);
