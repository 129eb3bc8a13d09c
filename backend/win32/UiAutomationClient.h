// The few UI Automation client interfaces the accessibility worker calls, declared here:
// mingw-w64's uiautomationclient.h lacks them. Each interface keeps every slot of its
// table in the order the system's type library has it; slots the program never calls are
// placeholders that are never called. The identifiers are the system's.
#pragma once

#include "backend/win32/WindowsHeaders.h"
// Needs the declarations of <windows.h>.
#include <oaidl.h>
#include <objbase.h>

namespace sevalune::win32::uia {

// CUIAutomation8 (Windows 8 and later) and CUIAutomation.
inline constexpr CLSID kClsidAutomation8 = {
    0xe22ad333, 0xb25f, 0x460c, {0x83, 0xd0, 0x05, 0x81, 0x10, 0x73, 0x95, 0xc9}};
inline constexpr CLSID kClsidAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
inline constexpr IID kIidAutomation = {
    0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
inline constexpr IID kIidAutomation2 = {
    0x34723aff, 0x0c9d, 0x49d0, {0x98, 0x96, 0x7a, 0xb5, 0x2d, 0xf8, 0xcd, 0x8a}};
inline constexpr IID kIidTextPattern = {
    0x32eba289, 0x3583, 0x42c9, {0x9c, 0x59, 0x3b, 0x6d, 0x9a, 0x1e, 0x9b, 0x6a}};
inline constexpr IID kIidTextPattern2 = {
    0x506a921a, 0xfcc9, 0x409f, {0xb2, 0x3b, 0x37, 0xeb, 0x74, 0x10, 0x68, 0x72}};

inline constexpr int kTextPatternId = 10014;
inline constexpr int kTextPattern2Id = 10024;
inline constexpr int kEndpointStart = 0;
inline constexpr int kEndpointEnd = 1;
inline constexpr int kUnitCharacter = 0;
inline constexpr int kUnitLine = 3;
inline constexpr int kHasKeyboardFocusPropertyId = 30008;
inline constexpr int kTreeScopeDescendants = 4;

class Element;
class TextRange;
class TextRangeArray;

// Interfaces are released through IUnknown only, never deleted through these types: hence
// the protected destructors. IUnknown has no virtual destructor, which GCC would point out.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class Automation : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE CompareElements(void*, void*, BOOL*) = 0;
  virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(void*, void*, BOOL*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRootElement(Element**) = 0;
  virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND, Element**) = 0;
  virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT, Element**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(Element** element) = 0;
  // GetRootElementBuildCache to CreateFalseCondition: 14 methods never called.
  virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused12() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused13() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused14() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused15() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused16() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused17() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused18() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused19() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused20() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused21() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused22() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused23() = 0;
  virtual HRESULT STDMETHODCALLTYPE CreatePropertyCondition(int property, VARIANT value,
                                                            IUnknown** condition) = 0;

 protected:
  ~Automation() = default;
};

// IUIAutomation2: the time limits of calls into providers (defaults 2 s to connect, 20 s a
// call), in milliseconds.
class Automation2 : public Automation {
 public:
  // CreatePropertyConditionEx to ElementFromIAccessibleBuildCache: 34 methods never called.
  virtual HRESULT STDMETHODCALLTYPE Unused25() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused26() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused27() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused28() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused29() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused30() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused31() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused32() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused33() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused34() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused35() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused36() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused37() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused38() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused39() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused40() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused41() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused42() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused43() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused44() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused45() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused46() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused47() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused48() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused49() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused50() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused51() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused52() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused53() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused54() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused55() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused56() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused57() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused58() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AutoSetFocus(BOOL*) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_AutoSetFocus(BOOL) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ConnectionTimeout(DWORD*) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ConnectionTimeout(DWORD milliseconds) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_TransactionTimeout(DWORD*) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_TransactionTimeout(DWORD milliseconds) = 0;

 protected:
  ~Automation2() = default;
};

class Element : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindFirst(int, void*, Element**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAll(int, void*, void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int, void*, void*, Element**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int, void*, void*, void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(void*, Element**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int, VARIANT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(int, BOOL, VARIANT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(int, VARIANT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCachedPropertyValueEx(int, BOOL, VARIANT*) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(int pattern, REFIID iid, void** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCachedPatternAs(int, REFIID, void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentPattern(int, IUnknown**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCachedPattern(int, IUnknown**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCachedParent(Element**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCachedChildren(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentProcessId(int* process) = 0;
  // ControlType to ItemStatus: 22 properties, of which only NativeWindowHandle is read.
  virtual HRESULT STDMETHODCALLTYPE Unread21() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread22() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread23() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread24() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread25() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread26() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread27() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread28() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread29() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread30() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread31() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread32() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread33() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread34() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread35() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentNativeWindowHandle(void** window) = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread37() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread38() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread39() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread40() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread41() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unread42() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentBoundingRectangle(RECT* rect) = 0;

 protected:
  ~Element() = default;
};

class TextPattern : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE RangeFromPoint(POINT, TextRange**) = 0;
  virtual HRESULT STDMETHODCALLTYPE RangeFromChild(Element*, TextRange**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSelection(TextRangeArray** ranges) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVisibleRanges(TextRangeArray**) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DocumentRange(TextRange**) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SupportedTextSelection(int*) = 0;

 protected:
  ~TextPattern() = default;
};

class TextPattern2 : public TextPattern {
 public:
  virtual HRESULT STDMETHODCALLTYPE RangeFromAnnotation(Element*, TextRange**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCaretRange(BOOL* isActive, TextRange** range) = 0;

 protected:
  ~TextPattern2() = default;
};

class TextRange : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE Clone(TextRange** copy) = 0;
  virtual HRESULT STDMETHODCALLTYPE Compare(TextRange*, BOOL*) = 0;
  virtual HRESULT STDMETHODCALLTYPE CompareEndpoints(int endpoint, TextRange* other,
                                                     int otherEndpoint, int* order) = 0;
  virtual HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(int unit) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAttribute(int, VARIANT, BOOL, TextRange**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindText(BSTR, BOOL, BOOL, TextRange**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAttributeValue(int, VARIANT*) = 0;
  // Left, top, width and height of each line the range covers, as doubles.
  virtual HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY** rectangles) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetEnclosingElement(Element**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetText(int, BSTR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE Move(int, int, int*) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(int endpoint, int unit, int count,
                                                       int* moved) = 0;

 protected:
  ~TextRange() = default;
};

class TextRangeArray : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_Length(int* length) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetElement(int index, TextRange** range) = 0;

 protected:
  ~TextRangeArray() = default;
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace sevalune::win32::uia
