#pragma once
#include <cstdint>

#ifndef _WIN64
// Pushes n 32-bit arguments (first argument at the lowest address), calls fn, and reports how
// far the stack pointer is from where it was before the pushes: 0 when fn removed exactly its
// arguments, as a stdcall routine must. Returns what fn left in EAX.
extern "C" std::uint32_t CallStdcallChecked(void* fn, const std::uint32_t* args, std::uint32_t n,
                                            std::int32_t* imbalance);
#endif
