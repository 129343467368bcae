#pragma once
// CRC-16-CCITT (polynomial 0x1021, first value 0xFFFF) as floppy controllers compute it over an address mark
// and its field: run over the field with its two CRC bytes, it ends at 0 when the field is whole.

#include <cstdint>
#include <span>

uint16_t Crc16(std::span<const uint8_t> bytes, uint16_t crc = 0xFFFF);

// The CRC of a field after the three A1 sync bytes and its mark, as the controller begins it.
uint16_t FieldCrc(uint8_t mark, std::span<const uint8_t> bytes);
