// The wire flavour's own writer and reader: MessagePack straight between
// Values and bytes, with no document model in between. They write and read
// exactly the tree the other encodings carry (docs/packets.md), and the
// writer picks the same shortest forms a general-purpose MessagePack
// writer picks, so their output matches byte for byte.

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/packetcodec.h"
#include "platform/packetcodec_detail.h"

namespace platform::detail {
namespace {

// Appends values to a byte buffer; `depth` counts the containers around a
// value, as the reader counts them. Checks what the reader checks before
// writing. The buffer's size is kept at its capacity, with `used_` bytes
// written, so that an append is a bounds check and a copy.
class Writer {
 public:
  Writer() { out_.resize(kInitialBytes); }

  std::vector<std::uint8_t> take() && {
    out_.resize(used_);
    return std::move(out_);
  }

  void value(const Value& v, int depth) {
    switch (v.type()) {
      case ValueType::Null:
        byte(0xC0);
        return;
      case ValueType::Text:
        checkUtf8(v.text(), "a text");
        text(v.text());
        return;
      case ValueType::Number:
        number(v.number());
        return;
      case ValueType::DateTime:
        nest(depth);
        mapHeader(1);
        text("d");
        number(v.dateTime().days);
        return;
      case ValueType::Boolean:
        byte(v.boolean() ? 0xC3 : 0xC2);
        return;
      case ValueType::Array:
        values(v.array(), nest(depth));
        return;
      case ValueType::Packet:
        packet(v.packet(), depth);
        return;
    }
  }

 private:
  static constexpr size_t kInitialBytes = 4096;
  // Rows written before the rest of a packet's size is estimated from them.
  static constexpr size_t kSampleRows = 32;

  void makeRoom(size_t n) {
    if (out_.size() - used_ < n) out_.resize(std::max(used_ + n, out_.size() * 2));
  }

  void append(const std::uint8_t* bytes, size_t n) {
    makeRoom(n);
    std::memcpy(out_.data() + used_, bytes, n);
    used_ += n;
  }

  void byte(unsigned b) {
    makeRoom(1);
    out_[used_++] = static_cast<std::uint8_t>(b);
  }

  // A tag and the low `width` bytes of `arg`, big-endian.
  void tagged(unsigned tag, std::uint64_t arg, int width) {
    std::uint8_t buf[9];
    buf[0] = static_cast<std::uint8_t>(tag);
    for (int i = 0; i < width; ++i) buf[1 + i] = static_cast<std::uint8_t>(arg >> (8 * (width - 1 - i)));
    append(buf, 1 + static_cast<size_t>(width));
  }

  // A length in the shortest form: inside the tag up to `fixMax`, then in
  // 8 (when the type has that form), 16 or 32 bits.
  void length(size_t n, unsigned fix, size_t fixMax, unsigned tag8, unsigned tag16, unsigned tag32, const char* what) {
    if (n <= fixMax) {
      byte(fix | static_cast<unsigned>(n));
    } else if (tag8 != 0 && n <= 0xFF) {
      tagged(tag8, n, 1);
    } else if (n <= 0xFFFF) {
      tagged(tag16, n, 2);
    } else if (n <= 0xFFFFFFFF) {
      tagged(tag32, n, 4);
    } else {
      fail(std::string(what) + " is too long for the wire");
    }
  }

  void arrayHeader(size_t n) { length(n, 0x90, 15, 0, 0xDC, 0xDD, "an array"); }
  void mapHeader(size_t n) { length(n, 0x80, 15, 0, 0xDE, 0xDF, "an object"); }

  void text(std::string_view s) {
    length(s.size(), 0xA0, 31, 0xD9, 0xDA, 0xDB, "a text");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(s.data());
    append(bytes, s.size());
  }

  void number(double d) {
    // Whole numbers go as integers: shorter, and exact below 2^53.
    // Negative zero must stay a float to keep its sign.
    if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 0x1p53 && !(d == 0 && std::signbit(d))) {
      integer(static_cast<std::int64_t>(d));
    } else if (d >= -FLT_MAX && d <= FLT_MAX && static_cast<double>(static_cast<float>(d)) == d) {
      tagged(0xCA, std::bit_cast<std::uint32_t>(static_cast<float>(d)), 4);
    } else {
      tagged(0xCB, std::bit_cast<std::uint64_t>(d), 8);
    }
  }

  // Non-negative numbers in the unsigned forms, negative ones in the
  // signed forms; `tagged` writes the low bytes of the two's complement.
  void integer(std::int64_t i) {
    const auto u = static_cast<std::uint64_t>(i);
    if (i >= 0) {
      if (u < 0x80)
        byte(static_cast<unsigned>(u));
      else if (u <= 0xFF)
        tagged(0xCC, u, 1);
      else if (u <= 0xFFFF)
        tagged(0xCD, u, 2);
      else if (u <= 0xFFFFFFFF)
        tagged(0xCE, u, 4);
      else
        tagged(0xCF, u, 8);
    } else {
      if (i >= -32)
        byte(static_cast<unsigned>(u & 0xFF));
      else if (i >= INT8_MIN)
        tagged(0xD0, u, 1);
      else if (i >= INT16_MIN)
        tagged(0xD1, u, 2);
      else if (i >= INT32_MIN)
        tagged(0xD2, u, 4);
      else
        tagged(0xD3, u, 8);
    }
  }

  void values(const std::vector<Value>& vs, int depth) {
    arrayHeader(vs.size());
    for (const Value& v : vs) value(v, depth);
  }

  // Members in name order, as a sorted-map writer puts them.
  void packet(const DataPacket& p, int depth) {
    const int inPacket = nest(depth);
    const int inList = nest(inPacket);
    const int inItem = nest(inList);
    mapHeader(3);
    text("delta");
    byte(p.delta ? 0xC3 : 0xC2);
    text("fields");
    arrayHeader(p.fields.size());
    for (const FieldDef& f : p.fields) {
      checkUtf8(f.name, "a field name");
      if (f.size < 0) fail("field " + shown(f.name) + " has a negative size");
      arrayHeader(4);
      text(f.name);
      text(kFieldTypeNames[static_cast<size_t>(f.type)]);
      integer(f.size);
      byte(f.required ? 0xC3 : 0xC2);
    }
    text("rows");
    arrayHeader(p.rows.size());
    const size_t rowsStart = used_;
    for (size_t i = 0; i < p.rows.size(); ++i) {
      // The first rows predict the size of the rest: room for them all is
      // made at once, with an eighth to spare, instead of growing by steps.
      if (i == kSampleRows) {
        const size_t rest = (used_ - rowsStart) / kSampleRows * (p.rows.size() - i);
        makeRoom(rest + rest / 8);
      }
      const PacketRow& r = p.rows[i];
      checkRow(p, r, i);
      if (r.kind == RowKind::Unchanged) {
        values(r.values, inItem);
        continue;
      }
      const int inRowList = nest(inItem);
      mapHeader(r.original.empty() ? 2 : 3);
      text("kind");
      text(kRowKindNames[static_cast<size_t>(r.kind)]);
      if (!r.original.empty()) {
        text("original");
        values(r.original, inRowList);
      }
      text("values");
      values(r.values, inRowList);
    }
  }

  std::vector<std::uint8_t> out_;
  size_t used_ = 0;
};

// A cursor over the bytes that builds Values as it goes. Every length is
// checked against the bytes left before anything is allocated for it (an
// item takes at least one byte, a map member two), and recursion stops at
// kMaxWireDepth, so hostile lengths and nesting are refused cheaply. Lists
// reserve room for at most kMaxReserve items up front: nested lists could
// each claim nearly all the bytes left, and reserving for every claim at
// once would multiply them; past the cap a list grows as items arrive. The
// model's rules are those of the JSON and CBOR reader: an object is a date,
// a special number or a packet, field definitions and rows have their
// shapes, and a finished packet's rows are checked against its fields
// (which may come after them).
class Reader {
 public:
  Reader(const std::uint8_t* data, size_t size, size_t maxItems)
      : begin_(data), p_(data), end_(data + size), itemsLeft_(maxItems) {}

  Value document() {
    Value v = value(0);
    if (p_ != end_) malformed("data goes on after the value");
    return v;
  }

 private:
  enum class Kind : std::uint8_t { Nil, Boolean, Number, Text, Array, Map };

  static constexpr size_t kMaxReserve = 4096;

  // One item's header: a scalar's value, a text's bytes, or the number of
  // items of an array or members of a map, still to be read.
  struct Item {
    Kind kind = Kind::Nil;
    bool flag = false;
    double number = 0;
    size_t count = 0;
    std::string_view text;
  };

  [[noreturn]] void malformed(const std::string& what) const {
    fail("malformed MessagePack document: " + what + " at byte " + std::to_string(p_ - begin_));
  }

  size_t left() const { return static_cast<size_t>(end_ - p_); }

  // The next `width` bytes as a big-endian number.
  std::uint64_t arg(size_t width) {
    if (left() < width) malformed("unexpected end of data");
    std::uint64_t n = 0;
    for (size_t i = 0; i < width; ++i) n = (n << 8) | p_[i];
    p_ += width;
    return n;
  }

  static Item number(double d) { return {Kind::Number, false, d, 0, {}}; }

  Item text(std::uint64_t size) {
    if (size > left()) malformed("a text of " + std::to_string(size) + " bytes goes past the end");
    const std::string_view s(reinterpret_cast<const char*>(p_), static_cast<size_t>(size));
    p_ += size;
    return {Kind::Text, false, 0, 0, s};
  }

  Item container(Kind kind, std::uint64_t count) {
    const size_t leastBytes = kind == Kind::Map ? 2 : 1;
    if (count > left() / leastBytes)
      malformed(std::string(kind == Kind::Map ? "a map of " : "an array of ") + std::to_string(count) +
                " items goes past the end");
    return {kind, false, 0, static_cast<size_t>(count), {}};
  }

  // Inlined into the loops that read rows: reading headers is most of
  // the work, and the item is then taken apart without a copy.
  [[gnu::always_inline]] Item item() {
    if (itemsLeft_-- == 0) malformed("more items than a request may carry");
    const std::uint8_t b = static_cast<std::uint8_t>(arg(1));
    if (b < 0x80) return number(b);
    if (b >= 0xE0) return number(static_cast<std::int8_t>(b));
    if (b < 0x90) return container(Kind::Map, b & 0x0Fu);
    if (b < 0xA0) return container(Kind::Array, b & 0x0Fu);
    if (b < 0xC0) return text(b & 0x1Fu);
    switch (b) {
      case 0xC0:
        return {};
      case 0xC2:
        return {Kind::Boolean, false, 0, 0, {}};
      case 0xC3:
        return {Kind::Boolean, true, 0, 0, {}};
      case 0xCA:
        return number(std::bit_cast<float>(static_cast<std::uint32_t>(arg(4))));
      case 0xCB:
        return number(std::bit_cast<double>(arg(8)));
      case 0xCC:
        return number(static_cast<double>(arg(1)));
      case 0xCD:
        return number(static_cast<double>(arg(2)));
      case 0xCE:
        return number(static_cast<double>(arg(4)));
      case 0xCF:
        return number(static_cast<double>(arg(8)));
      case 0xD0:
        return number(static_cast<std::int8_t>(arg(1)));
      case 0xD1:
        return number(static_cast<std::int16_t>(arg(2)));
      case 0xD2:
        return number(static_cast<std::int32_t>(arg(4)));
      case 0xD3:
        return number(static_cast<double>(static_cast<std::int64_t>(arg(8))));
      case 0xD9:
        return text(arg(1));
      case 0xDA:
        return text(arg(2));
      case 0xDB:
        return text(arg(4));
      case 0xDC:
        return container(Kind::Array, arg(2));
      case 0xDD:
        return container(Kind::Array, arg(4));
      case 0xDE:
        return container(Kind::Map, arg(2));
      case 0xDF:
        return container(Kind::Map, arg(4));
      case 0xC1:
        malformed("byte 0xC1 is not a MessagePack item");
      default:
        failBinaryData();  // bin, ext and fixext items
    }
  }

  std::string_view key() {
    const Item k = item();
    if (k.kind != Kind::Text) malformed("a map key must be a text");
    return k.text;
  }

  Value value(int depth) { return valueOf(item(), depth); }

  Value valueOf(const Item& it, int depth) {
    switch (it.kind) {
      case Kind::Nil:
        return Value();
      case Kind::Boolean:
        return Value(it.flag);
      case Kind::Number:
        return Value(it.number);
      case Kind::Text:
        checkUtf8(it.text, "a text");
        return Value(it.text);
      case Kind::Array:
        return Value(values(it.count, nest(depth)));
      case Kind::Map:
        return object(it.count, nest(depth));
    }
    return Value();
  }

  std::vector<Value> values(size_t count, int depth) {
    std::vector<Value> vs;
    vs.reserve(std::min(count, kMaxReserve));
    for (size_t i = 0; i < count; ++i) {
      // The common scalars are built in place, saving a move each.
      const Item it = item();
      switch (it.kind) {
        case Kind::Nil:
          vs.emplace_back();
          break;
        case Kind::Number:
          vs.emplace_back(it.number);
          break;
        case Kind::Text:
          checkUtf8(it.text, "a text");
          vs.emplace_back(it.text);
          break;
        default:
          vs.push_back(valueOf(it, depth));
      }
    }
    return vs;
  }

  // An object whose first key says what it is; `depth` is that of its
  // members.
  Value object(size_t count, int depth) {
    if (count == 0) failEmptyObject();
    const std::string_view k = key();
    if (k == "d" || k == "n") {
      const bool date = k == "d";
      const Item it = item();
      if (it.kind == Kind::Array || (!date && it.kind == Kind::Map)) {
        if (date) failDate();
        failSpecial();
      }
      const Value v = valueOf(it, depth);
      if (count > 1) {
        key();
        failSecondMember(date);
      }
      if (date) {
        if (!v.isNumber()) failDate();
        return Value(DateTime(v.number()));
      }
      if (!v.isText()) failSpecial();
      return Value(specialNamed(v.text()));
    }
    if (k != kPacketMembers[0] && k != kPacketMembers[1] && k != kPacketMembers[2]) failTaggedKey();
    return packet(count, k, depth);
  }

  Value packet(size_t count, std::string_view firstKey, int depth) {
    DataPacket p;
    unsigned seen = 0;
    bool rowsChecked = false;
    for (size_t m = 0; m < count; ++m) {
      const std::string_view k = m == 0 ? firstKey : key();
      switch (takeMember(k, kPacketMembers, seen, "a packet")) {
        case 0:
          fields(p, depth);
          break;
        case 1:
          rowsChecked = (seen & 1u) != 0;
          rows(p, depth, rowsChecked);
          break;
        default: {
          const Item it = item();
          if (it.kind != Kind::Boolean) failPacketMember(k);
          p.delta = it.flag;
        }
      }
    }
    if ((seen & kRequiredMembers) != kRequiredMembers) failMissingMembers("a packet", "fields and rows");
    if (!rowsChecked) checkRows(p);
    return Value(std::move(p));
  }

  void fields(DataPacket& p, int depth) {
    const Item list = item();
    if (list.kind != Kind::Array) failPacketMember(kPacketMembers[0]);
    const int inList = nest(depth);
    p.fields.reserve(std::min(list.count, kMaxReserve));
    for (size_t i = 0; i < list.count; ++i) {
      const Item def = item();
      if (def.kind != Kind::Array || def.count != 4) failFieldDefinition(i);
      const int inDef = nest(inList);
      std::array<Value, 4> parts;
      for (Value& part : parts) {
        const Item it = item();
        if (it.kind == Kind::Array || it.kind == Kind::Map) failFieldDefinition(i);
        part = valueOf(it, inDef);
      }
      p.fields.push_back(fieldFrom(parts, i));
    }
  }

  // Rows are checked as they come, while still in the cache, when the
  // fields came first (as this writer puts them).
  void rows(DataPacket& p, int depth, bool check) {
    const Item list = item();
    if (list.kind != Kind::Array) failPacketMember(kPacketMembers[1]);
    const int inList = nest(depth);
    p.rows.reserve(std::min(list.count, kMaxReserve));
    for (size_t i = 0; i < list.count; ++i) {
      const Item row = item();
      if (row.kind == Kind::Array)
        p.rows.push_back({RowKind::Unchanged, values(row.count, nest(inList)), {}});
      else if (row.kind == Kind::Map)
        p.rows.push_back(change(row.count, nest(inList), i));
      else
        failRowItem(i);
      if (check) checkRow(p, p.rows.back(), i);
    }
  }

  // {"kind": ..., "values": [...], "original": [...]}, members at `depth`.
  PacketRow change(size_t count, int depth, size_t index) {
    PacketRow row;
    unsigned seen = 0;
    for (size_t m = 0; m < count; ++m) {
      const std::string_view k = key();
      const size_t member = takeMember(k, kChangeMembers, seen, rowName(index));
      const Item it = item();
      if (member == 0) {
        if (it.kind != Kind::Text) failChangeMember(index, k);
        checkUtf8(it.text, "a text");
        row.kind = rowKindNamed(it.text, index);
      } else {
        if (it.kind != Kind::Array) failChangeMember(index, k);
        (member == 1 ? row.values : row.original) = values(it.count, nest(depth));
      }
    }
    if ((seen & kRequiredMembers) != kRequiredMembers) failMissingMembers(rowName(index), "kind and values");
    return row;
  }

  const std::uint8_t* begin_;
  const std::uint8_t* p_;
  const std::uint8_t* end_;
  size_t itemsLeft_;
};

}  // namespace

std::vector<std::uint8_t> writeMessagePack(const Value& v) {
  Writer w;
  w.value(v, 0);
  return std::move(w).take();
}

Value readMessagePack(const std::uint8_t* data, size_t size, size_t maxItems) {
  return Reader(data, size, maxItems).document();
}

}  // namespace platform::detail
