// os_web.h -- the browser's share of the OS services: how long the show has kept the page from running
#pragma once

// Milliseconds since the show last gave the browser its turn (a Sleep of any length).
double ms_since_yield();
