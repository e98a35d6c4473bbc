#pragma once

// The core's built-in files (language tables, images, the database schema) live in a resource
// file compiled into a static library, which the linker would drop unless it is registered
// explicitly. Safe to call any number of times.
void InitCoreResources();
