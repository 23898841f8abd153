// COM interface declaration macros (C++ forms only) and IUnknown.
#ifndef ABK_COM_H
#define ABK_COM_H

#include "abk_winerror.h"
#include "abk_wintypes.h"

// Interfaces are plain structs of pure virtual methods. None of them has a
// virtual destructor: the vtable must hold exactly the declared methods in
// declared order, as COM callers index it. Implementation classes that
// "delete this" in Release should be final (or add their own virtual
// destructor, which lands after the interface slots).
#define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method
#define STDMETHODV(method) virtual HRESULT STDMETHODVCALLTYPE method
#define STDMETHODV_(type, method) virtual type STDMETHODVCALLTYPE method
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE
#define STDMETHODIMPV HRESULT STDMETHODVCALLTYPE
#define STDMETHODIMPV_(type) type STDMETHODVCALLTYPE

#define STDAPI ABK_EXTERN_C HRESULT STDAPICALLTYPE
#define STDAPI_(type) ABK_EXTERN_C type STDAPICALLTYPE
#define STDAPIV ABK_EXTERN_C HRESULT STDAPIVCALLTYPE
#define STDAPIV_(type) ABK_EXTERN_C type STDAPIVCALLTYPE

#define PURE = 0
#define THIS_
#define THIS void
#define DECLARE_INTERFACE(iface) struct DECLSPEC_NOVTABLE iface
#define DECLARE_INTERFACE_(iface, baseiface) struct DECLSPEC_NOVTABLE iface : public baseiface
#define BEGIN_INTERFACE
#define END_INTERFACE

// ---------------------------------------------------------------------------
// IUnknown
// ---------------------------------------------------------------------------
DEFINE_GUID(IID_IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IUnknown {
  BEGIN_INTERFACE
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;
  END_INTERFACE
};
typedef IUnknown* LPUNKNOWN;

// OLE interfaces that MAPI signatures mention but the provider never calls.
// Declared only so those signatures compile.
struct IMalloc;
struct IStream;
struct IStorage;
typedef IMalloc* LPMALLOC;
typedef IStream* LPSTREAM;
typedef IStorage* LPSTORAGE;

#endif // ABK_COM_H
