// ADO's interface identifiers, as the COM layer asks its objects for them,
// and the newer identifiers the same interfaces have had since Windows 7
// SP1 (00001xxx). The objects are made and called through the older ones,
// which every ADO since 2.x answers to (the newer ones are refused by older
// systems and by Wine); asked whether they leave error information, they
// may name either, so both are asked. Needs nothing of ADO's own header.
#pragma once

#include <windows.h>

namespace dt::engine::ado::com {

// ADO's identifiers differ in their first number only.
constexpr IID AdoIid(unsigned long number) {
  return {number, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
}

constexpr IID kConnectionIid = AdoIid(0x550);  // _Connection
constexpr IID kRecordsetIid = AdoIid(0x556);   // _Recordset
// Asked only whether they leave a description of a failure.
constexpr IID kFieldsIid = AdoIid(0x564);  // Fields
constexpr IID kFieldIid = AdoIid(0x569);   // Field
// The connection's Errors collection, which has one identifier only.
constexpr IID kErrorsIid = AdoIid(0x501);  // Errors

// The newer identifier of the interface `iid` names, when it is one of the
// above; null otherwise.
inline const IID* NewerAdoIid(REFIID iid) {
  static constexpr IID kTwins[][2] = {
      {kConnectionIid, AdoIid(0x1550)},
      {kRecordsetIid, AdoIid(0x1556)},
      {kFieldsIid, AdoIid(0x1564)},
      {kFieldIid, AdoIid(0x1569)},
  };
  for (const auto& twin : kTwins) {
    if (IsEqualIID(twin[0], iid)) return &twin[1];
  }
  return nullptr;
}

}  // namespace dt::engine::ado::com
