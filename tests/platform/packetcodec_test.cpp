#include "platform/packetcodec.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <string>

#include "bench/sale_packet.h"
#include "platform/datetime.h"
#include "platform/packetcodec_detail.h"

using namespace platform;

namespace {

enum class Enc { Json, Cbor, MessagePack };

std::string encode(const Value& v, Enc e) {
  if (e == Enc::Json) return encodeValueJson(v);
  const auto b = encodeValueBinary(v, e == Enc::Cbor ? BinaryFlavor::Cbor : BinaryFlavor::MessagePack);
  return std::string(b.begin(), b.end());
}

Value decode(const std::string& doc, Enc e) {
  if (e == Enc::Json) return decodeValueJson(doc);
  return decodeValueBinary(reinterpret_cast<const std::uint8_t*>(doc.data()), doc.size(),
                           e == Enc::Cbor ? BinaryFlavor::Cbor : BinaryFlavor::MessagePack);
}

bool sameNumber(double a, double b) {
  if (std::isnan(a)) return std::isnan(b);
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool sameList(const std::vector<Value>& a, const std::vector<Value>& b);

// Exact equality: numbers and dates bit for bit (any NaN matches any NaN),
// which Value's own == does not give for -0.0 and NaN.
bool same(const Value& a, const Value& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case ValueType::Number:
      return sameNumber(a.number(), b.number());
    case ValueType::DateTime:
      return sameNumber(a.dateTime().days, b.dateTime().days);
    case ValueType::Array:
      return sameList(a.array(), b.array());
    case ValueType::Packet: {
      const DataPacket& p = a.packet();
      const DataPacket& q = b.packet();
      if (p.fields != q.fields || p.delta != q.delta || p.rows.size() != q.rows.size()) return false;
      for (size_t i = 0; i < p.rows.size(); ++i)
        if (p.rows[i].kind != q.rows[i].kind || !sameList(p.rows[i].values, q.rows[i].values) ||
            !sameList(p.rows[i].original, q.rows[i].original))
          return false;
      return true;
    }
    default:
      return a == b;
  }
}

bool sameList(const std::vector<Value>& a, const std::vector<Value>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!same(a[i], b[i])) return false;
  return true;
}

DataPacket packetOf(std::vector<FieldDef> fields) {
  DataPacket p;
  p.fields = std::move(fields);
  return p;
}

// One field of each type, with a row holding a value of each.
DataPacket everyFieldType() {
  DataPacket p = packetOf({{"CDFILIAL", FieldType::String, 4, true},
                           {"IDESTOQUE", FieldType::FixedString, 1, false},
                           {"VRDESCVENDA", FieldType::Float, 0, false},
                           {"DTVENDA", FieldType::DateTime, 0, false},
                           {"IDATIVO", FieldType::Boolean, 0, false},
                           {"NRITEM", FieldType::Integer, 0, false}});
  p.rows.push_back({RowKind::Unchanged, {"0001", "S", 12.34, DateTime(46364.5), true, 3}, {}});
  p.rows.push_back({RowKind::Unchanged, {Value(), Value(), Value(), Value(), Value(), Value()}, {}});
  return p;
}

DataPacket deltaOfEveryKind() {
  DataPacket p = packetOf({{"NRITEM", FieldType::Integer, 0, true}, {"QTITEM", FieldType::Float, 0, false}});
  p.delta = true;
  p.rows.push_back({RowKind::Insert, {1, 2.5}, {}});
  p.rows.push_back({RowKind::Modify, {2, 3.0}, {2, 1.0}});
  p.rows.push_back({RowKind::Delete, {3, Value()}, {3, Value()}});
  p.rows.push_back({RowKind::Modify, {4, -0.0}, {}});
  p.rows.push_back({RowKind::Unchanged, {5, 1e-300}, {}});
  return p;
}

class Codec : public ::testing::TestWithParam<Enc> {
 protected:
  void expectRoundTrip(const Value& v) {
    const Value back = decode(encode(v, GetParam()), GetParam());
    EXPECT_TRUE(same(v, back)) << encodeValueJson(v) << "\ncame back as\n" << encodeValueJson(back);
  }
};

TEST_P(Codec, DoublesKeepEveryBit) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  constexpr double tiny = std::numeric_limits<double>::denorm_min();
  const double edge[] = {0.0,    -0.0,        0.1,      -2.675,     1e-300,
                         1e300,  DBL_MAX,     -DBL_MAX, DBL_MIN,    tiny,
                         -tiny,  DBL_MIN / 3, 0x1p53,   0x1p53 + 2, -0x1p53 - 2,
                         0x1p64, 12345678.9,  inf,      -inf,       std::numeric_limits<double>::quiet_NaN()};
  for (double d : edge) expectRoundTrip(Value(d));
  std::mt19937_64 rng(2600);
  ValueArray random;
  for (int i = 0; i < 2000; ++i) random.emplace_back(std::bit_cast<double>(rng()));
  expectRoundTrip(Value(random));
}

TEST_P(Codec, DatesStayDatesOnBothSidesOfTheZeroDate) {
  const DateTime dates[] = {DateTime(0),
                            DateTime(-0.0),
                            DateTime(-1.25),  // 29/12/1899 06:00
                            DateTime(-693593),
                            encodeDateTime(1899, 12, 31, 23, 59, 59, 999),
                            encodeDate(2026, 12, 8),
                            encodeDateTime(2026, 12, 8, 10, 30, 15, 1),
                            DateTime(2958465.99999),
                            DateTime(std::numeric_limits<double>::infinity())};
  for (DateTime d : dates) {
    const Value back = decode(encode(Value(d), GetParam()), GetParam());
    ASSERT_TRUE(back.isDateTime()) << d.days;
    EXPECT_TRUE(sameNumber(back.dateTime().days, d.days)) << d.days;
  }
}

TEST_P(Codec, TextsNullsBooleansAndArrays) {
  std::string longText;
  for (int i = 0; i < 5000; ++i) longText += "Manutenção da Venda ☕ 𝄞 ";
  expectRoundTrip(Value(""));
  expectRoundTrip(Value(longText));
  expectRoundTrip(Value(std::string("a\0b\r\nc\x01\x7f", 8)));
  expectRoundTrip(Value(std::string("\"\\/\t")));
  expectRoundTrip(Value());
  expectRoundTrip(Value(true));
  expectRoundTrip(Value(false));
  expectRoundTrip(Value(ValueArray{}));
  expectRoundTrip(Value(ValueArray{ValueArray{}, ValueArray{ValueArray{Value()}}, "x", 1, DateTime(2), false}));
}

TEST_P(Codec, PacketsDeltasAndPacketsInArrays) {
  expectRoundTrip(Value(DataPacket{}));
  expectRoundTrip(Value(packetOf({{"CDFILIAL", FieldType::String, 4, true}})));
  expectRoundTrip(Value(everyFieldType()));
  expectRoundTrip(Value(deltaOfEveryKind()));
  expectRoundTrip(Value(bench::makeSalePacket(60)));
  // A remote call's arguments: texts, a date and change logs side by side.
  expectRoundTrip(Value(ValueArray{"0001", "001", DateTime(46364), Value(deltaOfEveryKind()), Value(),
                                   ValueArray{Value(everyFieldType())}}));
}

TEST_P(Codec, NestingUpToTheLimitAndNoFurther) {
  Value v = 1;
  for (int i = 0; i < kMaxWireDepth; ++i) v = Value(ValueArray{v});
  expectRoundTrip(v);
  const Value deeper = ValueArray{v};
  EXPECT_THROW(encode(deeper, GetParam()), PacketError);
  // A date costs a level of its own.
  Value d = DateTime(1);
  for (int i = 0; i < kMaxWireDepth - 1; ++i) d = Value(ValueArray{d});
  expectRoundTrip(d);
  EXPECT_THROW(encode(ValueArray{d}, GetParam()), PacketError);
}

TEST_P(Codec, EncodingRefusesWhatDecodingWouldRefuse) {
  auto rowsOf = [](std::vector<PacketRow> rows) {
    DataPacket p = everyFieldType();
    p.rows = std::move(rows);
    return Value(p);
  };
  const std::vector<Value> six = {Value(), Value(), Value(), Value(), Value(), Value()};
  auto with = [&](size_t i, Value v) {
    auto r = six;
    r[i] = std::move(v);
    return r;
  };
  const Value bad[] = {
      rowsOf({{RowKind::Unchanged, {Value()}, {}}}),
      rowsOf({{RowKind::Insert, six, six}}),
      rowsOf({{RowKind::Modify, six, {Value()}}}),
      rowsOf({{RowKind::Unchanged, with(0, 5), {}}}),
      rowsOf({{RowKind::Unchanged, with(5, "5"), {}}}),
      rowsOf({{RowKind::Unchanged, with(3, 46364.0), {}}}),
      rowsOf({{RowKind::Modify, six, with(4, "S")}}),
      rowsOf({{RowKind::Unchanged, with(0, ValueArray{}), {}}}),
      Value(std::string("\xC3(")),
      Value(packetOf({{"A", FieldType::String, -1, false}})),
  };
  for (const Value& v : bad) EXPECT_THROW(encode(v, GetParam()), PacketError);
}

// Whatever decodes must encode again and come back the same, and anything
// else must be refused with PacketError: never a crash, a hang or another
// exception.
TEST_P(Codec, FuzzedDocumentsOnlyEverThrowPacketError) {
  const Value seeds[] = {Value(deltaOfEveryKind()), Value(everyFieldType()),
                         Value(ValueArray{"Manutenção", -0.0, std::numeric_limits<double>::quiet_NaN(), DateTime(-1.5),
                                          ValueArray{ValueArray{true}}, Value(DataPacket{})})};
  std::mt19937 rng(13002600);
  int decoded = 0;
  for (const Value& seed : seeds) {
    const std::string valid = encode(seed, GetParam());
    for (int i = 0; i < 1500; ++i) {
      std::string doc = valid;
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int k = 0; k < edits && !doc.empty(); ++k) {
        const size_t at = rng() % doc.size();
        switch (rng() % 5) {
          case 0:
            doc[at] = static_cast<char>(rng());
            break;
          case 1:
            doc[at] = static_cast<char>(doc[at] ^ (1 << (rng() % 8)));
            break;
          case 2:
            doc.resize(at);
            break;
          case 3:
            doc.insert(at, 1, static_cast<char>(rng()));
            break;
          default:
            doc.insert(at, doc.substr(rng() % doc.size(), 1 + rng() % 16));
            break;
        }
      }
      Value v;
      try {
        v = decode(doc, GetParam());
      } catch (const PacketError&) {
        continue;
      }
      ++decoded;
      ASSERT_TRUE(same(v, decode(encode(v, GetParam()), GetParam()))) << encodeValueJson(v);
    }
  }
  EXPECT_GT(decoded, 0);  // the mutations also reach documents that stay valid
}

INSTANTIATE_TEST_SUITE_P(PacketCodec, Codec, ::testing::Values(Enc::Json, Enc::Cbor, Enc::MessagePack),
                         [](const auto& info) {
                           return info.param == Enc::Json   ? std::string("Json")
                                  : info.param == Enc::Cbor ? std::string("Cbor")
                                                            : std::string("MessagePack");
                         });

// The JSON shapes other clients rely on; docs/packets.md shows the same.
TEST(PacketJson, ShapesAreStable) {
  EXPECT_EQ(encodeValueJson(Value(5)), "5");
  EXPECT_EQ(encodeValueJson(Value(-0.0)), "-0.0");
  EXPECT_EQ(encodeValueJson(Value(0.1)), "0.1");
  EXPECT_EQ(encodeValueJson(Value(-std::numeric_limits<double>::infinity())), R"({"n":"-Infinity"})");
  EXPECT_EQ(encodeValueJson(Value(DateTime(46364.4375))), R"({"d":46364.4375})");
  EXPECT_EQ(encodeValueJson(Value(ValueArray{"a", Value(), true})), R"(["a",null,true])");
  DataPacket p = packetOf({{"NRSEQVENDA", FieldType::String, 10, true}, {"VRDESCVENDA", FieldType::Float, 0, false}});
  p.rows.push_back({RowKind::Unchanged, {"0000000001", 2.5}, {}});
  EXPECT_EQ(encodeValueJson(Value(p)), R"({"delta":false,"fields":[["NRSEQVENDA","string",10,true],)"
                                       R"(["VRDESCVENDA","float",0,false]],"rows":[["0000000001",2.5]]})");
  p.delta = true;
  p.rows = {{RowKind::Modify, {"0000000001", 3.0}, {"0000000001", 2.5}},
            {RowKind::Insert, {"0000000002", Value()}, {}}};
  EXPECT_EQ(encodeValueJson(Value(p)), R"({"delta":true,"fields":[["NRSEQVENDA","string",10,true],)"
                                       R"(["VRDESCVENDA","float",0,false]],"rows":[)"
                                       R"({"kind":"modify","original":["0000000001",2.5],"values":["0000000001",3]},)"
                                       R"({"kind":"insert","values":["0000000002",null]}]})");
}

TEST(PacketJson, OtherClientsMayOrderMembersFreelyAndOmitDelta) {
  const Value v = decodeValueJson(R"({"rows":[[1.0,{"d":2}], {"values":[null,null],"kind":"insert"}],)"
                                  R"("fields":[["N","integer",0,false],["D","datetime",0,false]]})");
  const DataPacket& p = v.packet();
  EXPECT_FALSE(p.delta);
  ASSERT_EQ(p.rows.size(), 2u);
  EXPECT_EQ(p.rows[0].values[1], Value(DateTime(2)));
  EXPECT_EQ(p.rows[1].kind, RowKind::Insert);
}

TEST(PacketJson, MalformedDocumentsSayWhatIsWrong) {
  // A packet of an integer field N and a string field S, with these rows.
  const auto rows = [](const std::string& r) {
    return R"({"fields":[["N","integer",0,false],["S","string",4,false]],"rows":[)" + r + "}";
  };
  const std::pair<std::string, const char*> cases[] = {
      {"", "malformed JSON document"},
      {"[1,2", "malformed JSON document"},
      {"1 2", "malformed JSON document"},
      {"1e999", "malformed JSON document"},
      {"\"\xC3(\"", "malformed JSON document"},
      {R"({"d":"x"})", "a date"},
      {R"({"d":1,"e":2})", "exactly one member"},
      {R"({"n":"nan"})", "\"NaN\", \"Infinity\" or \"-Infinity\""},
      {R"({"x":1})", "an object must be a date"},
      {R"({})", "an empty object"},
      {R"({"fields":[]})", "must have the members fields and rows"},
      {R"({"fields":[],"rows":[],"more":1})", "unknown member \"more\""},
      {R"({"fields":[],"fields":[],"rows":[]})", "member \"fields\" twice"},
      {R"({"fields":{},"rows":[]})", "a packet's fields must be an array"},
      {R"({"fields":[["A","string",1]],"rows":[]})", "field definition 0 must be an array"},
      {R"({"fields":["A"],"rows":[]})", "field definition 0 must be an array"},
      {R"({"fields":[["A","text",1,false]],"rows":[]})", "field \"A\" has an unknown type"},
      {R"({"fields":[["A","string",-1,false]],"rows":[]})", "whole number from 0"},
      {R"({"fields":[["A","string",1,"S"]],"rows":[]})", "boolean required flag"},
      {rows(R"([1]])"), "packet row 0 has 1 values for 2 fields"},
      {rows(R"({"kind":"upsert","values":[1,"a"]}])"), "row 0 has an unknown kind \"upsert\""},
      {rows(R"({"kind":"insert","values":[1,"a"],"original":[1,"a"]}])"),
       "kind insert, which carries no original values"},
      {rows(R"({"kind":"modify","values":[1,"a"],"original":[1]}])"), "1 original values for 2 fields"},
      {rows(R"({"kind":"modify"}])"), "must have the members kind and values"},
      {rows(R"({"kind":"modify","values":[1,"a"],"extra":1}])"), "unknown member \"extra\""},
      {rows(R"({"kind":2,"values":[1,"a"]}])"), "its kind must be a text"},
      {rows(R"(5])"), "must be an array of values or a change object"},
      {rows(R"(["1","a"]])"), "field \"N\": a text does not fit the field type integer"},
      {rows(R"([1,{"d":1}]])"), "field \"S\": a date does not fit the field type string"},
      {rows(R"([1,["a"]]])"), "field \"S\": an array does not fit the field type string"},
      {rows(R"([1,"a"]],"delta":"yes")"), "delta flag must be a boolean"},
      {std::string(kMaxWireDepth + 1, '[') + std::string(kMaxWireDepth + 1, ']'), "nests deeper than 64 levels"},
  };
  for (const auto& [doc, message] : cases) {
    try {
      decodeValueJson(doc);
      ADD_FAILURE() << "accepted: " << doc;
    } catch (const PacketError& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << doc << "\n  gave: " << e.what();
    }
  }
}

std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
  std::vector<std::uint8_t> b;
  for (int x : list) b.push_back(static_cast<std::uint8_t>(x));
  return b;
}

void expectRefused(const std::vector<std::uint8_t>& b, BinaryFlavor f, const char* message) {
  try {
    decodeValueBinary(b.data(), b.size(), f);
    ADD_FAILURE() << "accepted " << b.size() << " bytes";
  } catch (const PacketError& e) {
    EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
  }
}

TEST(PacketBinary, HostileDocumentsAreRefusedWithoutCrashing) {
  using F = BinaryFlavor;
  // Runs that would recurse a million levels deep in the readers.
  expectRefused(std::vector<std::uint8_t>(1'000'000, 0x7F), F::Cbor, "indefinite-length");
  expectRefused(std::vector<std::uint8_t>(1'000'000, 0x5F), F::Cbor, "indefinite-length");
  expectRefused(std::vector<std::uint8_t>(1'000'000, 0x81), F::Cbor, "nests deeper");
  expectRefused(std::vector<std::uint8_t>(1'000'000, 0x91), F::MessagePack, "nests deeper");
  // Lengths far beyond the data.
  expectRefused(bytes({0x9B, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), F::Cbor, "malformed CBOR");
  expectRefused(bytes({0xDD, 0xFF, 0xFF, 0xFF, 0xFF}), F::MessagePack, "malformed MessagePack");
  expectRefused(bytes({0x7B, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), F::Cbor, "malformed CBOR");
  // Things the model has no place for.
  expectRefused(bytes({0x41, 0x00}), F::Cbor, "binary data");
  expectRefused(bytes({0xD4, 0x01, 0x00}), F::MessagePack, "binary data");
  expectRefused(bytes({0xC1, 0x00}), F::Cbor, "malformed CBOR");  // a tag
  expectRefused(bytes({0xA1, 0xFF}), F::MessagePack, "not valid UTF-8");
  expectRefused(bytes({0x62, 0xED, 0xA0}), F::Cbor, "not valid UTF-8");
  expectRefused(bytes({0xA3, 0xED, 0xA0, 0x80}), F::MessagePack, "not valid UTF-8");
  expectRefused(bytes({0x81, 0x01, 0x02}), F::MessagePack, "malformed MessagePack");
  expectRefused({}, F::MessagePack, "malformed MessagePack");
  expectRefused(bytes({0x01, 0x02}), F::Cbor, "malformed CBOR");
}

TEST(PacketBinary, WireDefaultIsTheMeasuredFlavour) {
  EXPECT_EQ(defaultWireFormat(), WireFormat::Binary);
  const Value v(deltaOfEveryKind());
  const auto wire = encodeValueBinary(v);
  EXPECT_EQ(wire, encodeValueBinary(v, binaryWireFlavor()));
  EXPECT_TRUE(same(decodeValueBinary(wire.data(), wire.size()), v));
}

// The direct MessagePack writer and reader against the nlohmann-json path
// they replaced: same bytes out, same values or the same refusal back.

std::string randomText(std::mt19937_64& rng) {
  static constexpr std::string_view pieces[] = {"a", "Z", "0", " ", "\r\n", std::string_view("\0", 1),
                                                "ç", "ã", "☕", "𝄞", "\x7f"};
  static const size_t lengths[] = {0, 1, 15, 16, 31, 32, 255, 256, 65535, 65536};
  if (rng() % 8 == 0) return std::string(lengths[rng() % std::size(lengths)], 'x');
  std::string s;
  const size_t n = rng() % 40;
  for (size_t i = 0; i < n; ++i) s += pieces[rng() % std::size(pieces)];
  if (rng() % 50 == 0) s += "\xC3(";  // not UTF-8: both writers must refuse it
  return s;
}

double randomNumber(std::mt19937_64& rng) {
  static const double edges[] = {0.0,
                                 -0.0,
                                 127,
                                 128,
                                 255,
                                 256,
                                 65535,
                                 65536,
                                 4294967295.0,
                                 4294967296.0,
                                 -32,
                                 -33,
                                 -128,
                                 -129,
                                 -32768,
                                 -32769,
                                 -2147483648.0,
                                 -2147483649.0,
                                 0x1p53 - 1,
                                 -0x1p53 + 1,
                                 0x1p53,
                                 0x1p64,
                                 std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity(),
                                 std::numeric_limits<double>::quiet_NaN(),
                                 std::numeric_limits<double>::denorm_min(),
                                 DBL_MAX,
                                 FLT_MAX,
                                 -FLT_MAX,
                                 FLT_TRUE_MIN,
                                 0.5,
                                 1e300};
  switch (rng() % 5) {
    case 0:
      return edges[rng() % std::size(edges)];
    case 1: {
      const auto whole = static_cast<std::int64_t>(rng() % (1ull << 54)) - (1ll << 53);
      return static_cast<double>(whole);
    }
    case 2:
      return static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(rng())));
    case 3:
      return std::bit_cast<double>(rng());
    default:
      return static_cast<double>(static_cast<int>(rng() % 400) - 200) / 8;
  }
}

Value randomScalar(std::mt19937_64& rng, FieldType type) {
  if (rng() % 5 == 0) return Value();
  switch (type) {
    case FieldType::String:
    case FieldType::FixedString:
      return randomText(rng);
    case FieldType::Float:
    case FieldType::Integer:
      return randomNumber(rng);
    case FieldType::DateTime:
      return DateTime(randomNumber(rng));
    case FieldType::Boolean:
      return rng() % 2 == 0;
  }
  return Value();
}

std::vector<Value> randomRow(std::mt19937_64& rng, const std::vector<FieldDef>& fields) {
  std::vector<Value> row;
  for (const FieldDef& f : fields) row.push_back(randomScalar(rng, f.type));
  if (rng() % 60 == 0) row.emplace_back(1);  // one value too many: refused on both sides
  return row;
}

DataPacket randomPacket(std::mt19937_64& rng) {
  DataPacket p;
  const size_t fieldCount = rng() % 9;
  for (size_t i = 0; i < fieldCount; ++i)
    p.fields.push_back({randomText(rng).substr(0, 20), static_cast<FieldType>(rng() % 6), static_cast<int>(rng() % 300),
                        rng() % 2 == 0});
  p.delta = rng() % 2 == 0;
  const size_t rowCount = rng() % 12;
  for (size_t i = 0; i < rowCount; ++i) {
    PacketRow r;
    r.kind = p.delta ? static_cast<RowKind>(rng() % 4) : RowKind::Unchanged;
    r.values = randomRow(rng, p.fields);
    if ((r.kind == RowKind::Modify || r.kind == RowKind::Delete) && rng() % 3 != 0)
      r.original = randomRow(rng, p.fields);
    p.rows.push_back(std::move(r));
  }
  return p;
}

Value randomValue(std::mt19937_64& rng, int depth) {
  switch (rng() % (depth < 4 ? 8 : 6)) {
    case 0:
      return Value();
    case 1:
      return randomText(rng);
    case 2:
      return randomNumber(rng);
    case 3:
      return DateTime(randomNumber(rng));
    case 4:
      return rng() % 2 == 0;
    case 5:
      return randomScalar(rng, static_cast<FieldType>(rng() % 6));
    case 6: {
      ValueArray a;
      const size_t n = rng() % 10 == 0 ? 16 + rng() % 3 : rng() % 6;
      for (size_t i = 0; i < n; ++i) a.push_back(randomValue(rng, depth + 1));
      return a;
    }
    default:
      return randomPacket(rng);
  }
}

// The bytes the writer gives, or nullopt when it refuses the value.
std::optional<std::vector<std::uint8_t>> written(const Value& v, bool direct) {
  try {
    return direct ? detail::writeMessagePack(v) : detail::writeMessagePackViaJson(v);
  } catch (const PacketError&) {
    return std::nullopt;
  }
}

std::optional<Value> read(const std::vector<std::uint8_t>& doc, bool direct) {
  try {
    return direct ? detail::readMessagePack(doc.data(), doc.size())
                  : detail::readMessagePackViaJson(doc.data(), doc.size());
  } catch (const PacketError&) {
    return std::nullopt;
  }
}

void expectReadersAgree(const std::vector<std::uint8_t>& doc) {
  const auto direct = read(doc, true);
  const auto viaJson = read(doc, false);
  ASSERT_EQ(direct.has_value(), viaJson.has_value())
      << (direct ? "only the direct reader accepts " : "only the nlohmann reader accepts ")
      << encodeValueJson(direct ? *direct : *viaJson);
  if (direct) {
    ASSERT_TRUE(same(*direct, *viaJson)) << encodeValueJson(*direct);
  }
}

TEST(PacketMessagePack, DirectCodeWritesAndReadsWhatTheModelPathDid) {
  std::mt19937_64 rng(2600);
  int refused = 0;
  for (int i = 0; i < 400; ++i) {
    const Value v = randomValue(rng, 0);
    const auto direct = written(v, true);
    ASSERT_EQ(direct.has_value(), written(v, false).has_value()) << i;
    if (!direct) {
      ++refused;
      continue;
    }
    ASSERT_EQ(*direct, *written(v, false)) << encodeValueJson(v);
    const auto back = read(*direct, true);
    ASSERT_TRUE(back && same(*back, v)) << encodeValueJson(v);
    expectReadersAgree(*direct);
  }
  EXPECT_GT(refused, 0);  // the generator also makes values the wire refuses
  // Lengths past the 16-bit forms, and the day's sales.
  const std::vector<Value> large = {Value(ValueArray(70000)), Value(std::string(70000, 'x')),
                                    Value(bench::makeSalePacket(300))};
  for (const Value& v : large) {
    const auto direct = detail::writeMessagePack(v);
    EXPECT_EQ(direct, detail::writeMessagePackViaJson(v));
    EXPECT_TRUE(same(detail::readMessagePack(direct.data(), direct.size()), v));
  }
}

TEST(PacketMessagePack, ReadersAgreeOnFuzzedAndTruncatedDocuments) {
  std::mt19937_64 rng(13002600);
  std::vector<std::vector<std::uint8_t>> seeds;
  while (seeds.size() < 40)
    if (auto doc = written(randomValue(rng, 1), true); doc && doc->size() < 4000) seeds.push_back(*doc);
  seeds.push_back(detail::writeMessagePack(Value(deltaOfEveryKind())));
  for (const auto& seed : seeds) {
    for (size_t cut = 0; cut < seed.size(); ++cut)
      EXPECT_FALSE(read({seed.begin(), seed.begin() + static_cast<long>(cut)}, true));
    for (int i = 0; i < 150; ++i) {
      std::vector<std::uint8_t> doc = seed;
      const int edits = 1 + static_cast<int>(rng() % 3);
      for (int k = 0; k < edits && !doc.empty(); ++k) {
        const size_t at = rng() % doc.size();
        switch (rng() % 4) {
          case 0:
            doc[at] = static_cast<std::uint8_t>(rng());
            break;
          case 1:
            doc[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
            break;
          case 2:
            doc.erase(doc.begin() + static_cast<long>(at));
            break;
          default:
            doc.insert(doc.begin() + static_cast<long>(at), static_cast<std::uint8_t>(rng()));
        }
      }
      expectReadersAgree(doc);
    }
  }
}

// Other writers may pick longer forms than ours: wider integers and
// lengths, 64-bit floats, 16- and 32-bit maps and arrays.
TEST(PacketMessagePack, LongerFormsOfOtherWritersAreRead) {
  const auto doc =
      bytes({0xDC, 0x00, 0x06,                                                           // array16 of 6
             0xDA, 0x00, 0x03, 'a',  'b',  'c',                                          // str16 "abc"
             0xCF, 0,    0,    0,    0,    0,    0,    0,    5,                          // uint64 5
             0xD3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFD,                       // int64 -3
             0xCB, 0x3F, 0xE0, 0,    0,    0,    0,    0,    0,                          // float64 0.5
             0xDF, 0,    0,    0,    1,    0xD9, 1,    'd',  0xCA, 0x40, 0,    0,    0,  // map32 {"d": 2.0f}
             0xDE, 0,    3,                                                              // map16 packet
             0xA6, 'f',  'i',  'e',  'l',  'd',  's',  0x91, 0x94, 0xA1, 'N',  0xA7, 'i',
             'n',  't',  'e',  'g',  'e',  'r',  // [N, integer,
             0xD1, 0,    0,    0xC2,             //  0, false]
             0xA4, 'r',  'o',  'w',  's',  0xDD, 0,    0,    0,    1,    0x91, 0xD0, 0x85,
             0xA5, 'd',  'e',  'l',  't',  'a',  0xC3});
  DataPacket p = packetOf({{"N", FieldType::Integer, 0, false}});
  p.delta = true;
  p.rows.push_back({RowKind::Unchanged, {-123}, {}});
  const Value expected(ValueArray{"abc", 5, -3, 0.5, DateTime(2), Value(p)});
  EXPECT_TRUE(same(detail::readMessagePack(doc.data(), doc.size()), expected));
  expectReadersAgree(doc);
}

TEST(PacketMessagePack, HostileLengthsAndNestingAreRefusedBeforeAllocating) {
  using F = BinaryFlavor;
  // Counts and lengths claiming far more than the bytes left.
  expectRefused(bytes({0xDD, 0xFF, 0xFF, 0xFF, 0xFF, 0xC0}), F::MessagePack,
                "an array of 4294967295 items goes past the end");
  expectRefused(bytes({0xDF, 0x7F, 0xFF, 0xFF, 0xFF, 0xA1, 'd', 0x01}), F::MessagePack,
                "a map of 2147483647 items goes past the end");
  expectRefused(bytes({0xDB, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), F::MessagePack,
                "a text of 4294967295 bytes goes past the end");
  // A map member takes two bytes at least: three members in five bytes.
  expectRefused(bytes({0x83, 0xA1, 'd', 0x01, 0xA1}), F::MessagePack, "a map of 3 items goes past the end");
  // A packet claiming a million rows and a million values in a row.
  expectRefused(bytes({0x82, 0xA6, 'f', 'i', 'e',  'l',  'd',  's',  0x90, 0xA4,
                       'r',  'o',  'w', 's', 0xDD, 0x00, 0x0F, 0x42, 0x40, 0x90}),
                F::MessagePack, "an array of 1000000 items");
  expectRefused(bytes({0x82, 0xA6, 'f', 'i',  'e',  'l',  'd',  's',  0x90, 0xA4, 'r',
                       'o',  'w',  's', 0x91, 0xDD, 0x00, 0x0F, 0x42, 0x40, 0xC0}),
                F::MessagePack, "an array of 1000000 items");
  // Dates in dates, a million deep, recurse no further than the limit.
  std::vector<std::uint8_t> dates;
  for (int i = 0; i < 1'000'000; ++i) dates.insert(dates.end(), {0x81, 0xA1, 'd'});
  dates.push_back(0x01);
  expectRefused(dates, F::MessagePack, "nests deeper than 64 levels");
  expectRefused(bytes({0xC1}), F::MessagePack, "0xC1 is not a MessagePack item");
  expectRefused(bytes({0x81, 0xC0, 0xC0}), F::MessagePack, "a map key must be a text");
  expectRefused(bytes({0xC4, 0x01, 0x00}), F::MessagePack, "binary data");
  expectRefused(bytes({0xC0, 0xC0}), F::MessagePack, "data goes on after the value");
}

// The model's faults are refused in the same words as in JSON, by both
// MessagePack readers; the members keep the order written here.
TEST(PacketMessagePack, MalformedDocumentsSayWhatIsWrong) {
  using ordered = nlohmann::ordered_json;
  const auto rows = [](const std::string& r) {
    return R"({"fields":[["N","integer",0,false],["S","string",4,false]],"rows":[)" + r + "]}";
  };
  const std::pair<std::string, const char*> cases[] = {
      {R"({"d":"x"})", "a date"},
      {R"({"d":[1]})", "a date"},
      {R"({"d":1,"e":2})", "exactly one member"},
      {R"({"n":"nan"})", "\"NaN\", \"Infinity\" or \"-Infinity\""},
      {R"({"n":{"d":1}})", "\"NaN\", \"Infinity\" or \"-Infinity\""},
      {R"({"x":1})", "an object must be a date"},
      {R"({})", "an empty object"},
      {R"([{"d":{}}])", "an empty object"},
      {R"({"rows":[]})", "must have the members fields and rows"},
      {R"({"fields":[],"rows":[],"more":1})", "unknown member \"more\""},
      {R"({"fields":{},"rows":[]})", "a packet's fields must be an array"},
      {R"({"fields":[],"rows":5})", "a packet's rows must be an array"},
      {R"({"fields":[["A","string",1]],"rows":[]})", "field definition 0 must be an array"},
      {R"({"fields":[["A","string",1,false,1]],"rows":[]})", "field definition 0 must be"},
      {R"({"fields":[["A","string",1,[false]]],"rows":[]})", "field definition 0 must be"},
      {R"({"fields":[["A","text",1,false]],"rows":[]})", "field \"A\" has an unknown type"},
      {R"({"fields":[["A","string",1.5,false]],"rows":[]})", "whole number from 0"},
      {R"({"fields":[["A","string",1,"S"]],"rows":[]})", "boolean required flag"},
      {rows(R"([1])"), "packet row 0 has 1 values for 2 fields"},
      {rows(R"([1,"a"],{"kind":"upsert","values":[1,"a"]})"), "row 1 has an unknown kind \"upsert\""},
      {rows(R"({"kind":"insert","values":[1,"a"],"original":[1,"a"]})"),
       "kind insert, which carries no original values"},
      {rows(R"({"kind":"modify","values":[1,"a"],"original":[1]})"), "1 original values for 2 fields"},
      {rows(R"({"kind":"modify"})"), "must have the members kind and values"},
      {rows(R"({"kind":"modify","values":[1,"a"],"extra":1})"), "unknown member \"extra\""},
      {rows(R"({"kind":2,"values":[1,"a"]})"), "its kind must be a text"},
      {rows(R"({"kind":"insert","values":{}})"), "its values must be an array"},
      {rows(R"(5)"), "must be an array of values or a change object"},
      {rows(R"(["1","a"])"), "field \"N\": a text does not fit the field type integer"},
      {rows(R"([1,{"d":1}])"), "field \"S\": a date does not fit the field type string"},
      {rows(R"([1,["a"]])"), "field \"S\": an array does not fit the field type string"},
      {R"({"rows":[[1,1]],"fields":[["N","integer",0,false],["S","string",4,false]]})",
       "field \"S\": a number does not fit the field type string"},
      {R"({"fields":[],"rows":[],"delta":"yes"})", "delta flag must be a boolean"},
  };
  for (const auto& [json, message] : cases) {
    const auto doc = ordered::to_msgpack(ordered::parse(json));
    for (const bool direct : {true, false}) {
      try {
        direct ? detail::readMessagePack(doc.data(), doc.size())
               : detail::readMessagePackViaJson(doc.data(), doc.size());
        ADD_FAILURE() << "accepted: " << json;
      } catch (const PacketError& e) {
        EXPECT_NE(std::string(e.what()).find(message), std::string::npos)
            << json << (direct ? " (direct)" : " (nlohmann)") << "\n  gave: " << e.what();
      }
    }
  }
  // A member twice, which a JSON model cannot hold.
  expectRefused(bytes({0x83, 0xA4, 'r',  'o', 'w', 's', 0x90, 0xA4, 'r', 'o', 'w',
                       's',  0x90, 0xA6, 'f', 'i', 'e', 'l',  'd',  's', 0x90}),
                BinaryFlavor::MessagePack, "a packet has the member \"rows\" twice");
}

}  // namespace
