// TrazelPng: a picture's pixels as the bytes of a PNG file, through the platform's imaging
// component.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Encodes a packed 24-bit bitmap (header followed by its rows, bottom row first). Returns S_OK
// with the file's bytes in png, else the failure.
HRESULT EncodePng(const BITMAPINFOHEADER& header, const uint8_t* rows, std::vector<uint8_t>& png);
