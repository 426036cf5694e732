// What the wire reader allocates stays in proportion to the document,
// whatever counts a hostile document claims. This file counts the bytes
// requested from operator new while a decode runs, for the whole test
// executable (the count is only kept while a test watches).

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "platform/packetcodec.h"

namespace {
bool watching = false;
std::size_t requested = 0;
}  // namespace

void* operator new(std::size_t n) {
  if (watching) requested += n;
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace platform;

// Decodes `doc`, which must be refused; returns the bytes requested.
std::size_t requestedRefusing(const std::vector<std::uint8_t>& doc) {
  requested = 0;
  watching = true;
  bool refused = false;
  try {
    decodeValueBinary(doc.data(), doc.size());
  } catch (const PacketError&) {
    refused = true;
  }
  watching = false;
  EXPECT_TRUE(refused);
  return requested;
}

// Appends a 32-bit array or map header claiming `count` items.
void header(std::vector<std::uint8_t>& doc, std::uint8_t tag, std::uint32_t count) {
  doc.insert(doc.end(), {tag, static_cast<std::uint8_t>(count >> 24), static_cast<std::uint8_t>(count >> 16),
                         static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)});
}

TEST(PacketAllocation, NestedClaimsOnTheSameBytesAreNotMultiplied) {
  constexpr std::size_t kPadding = 1 << 20;
  constexpr int kLevels = 60;
  // Lists in lists, each claiming as many items as there are bytes after
  // its header, then a byte no document may hold and a megabyte of nils.
  std::vector<std::uint8_t> doc;
  for (int i = 0; i < kLevels; ++i) header(doc, 0xDD, static_cast<std::uint32_t>(kPadding + 1 + 5 * (kLevels - 1 - i)));
  doc.push_back(0xC1);
  doc.resize(doc.size() + kPadding, 0xC0);
  EXPECT_LT(requestedRefusing(doc), 16 * doc.size());

  // The same through a packet: rows claiming the bytes left, each row too.
  std::vector<std::uint8_t> rows = {0x82, 0xA6, 'f', 'i', 'e', 'l', 'd', 's', 0x90, 0xA4, 'r', 'o', 'w', 's'};
  header(rows, 0xDD, kPadding + 6);
  header(rows, 0xDD, kPadding + 1);
  rows.push_back(0xC1);
  rows.resize(rows.size() + kPadding, 0xC0);
  EXPECT_LT(requestedRefusing(rows), 16 * rows.size());
}

}  // namespace
