// query_as.h: QueryAs<U>, QueryInterface from one reference holder into another.
//
//   QRef<CQLongProperty> volume = ...;
//   QRef<IQPropertySerializer> serializer = host::QueryAs<IQPropertySerializer>(volume, IID_IQPropertySerializer);
//   if (serializer) serializer->GetDataSize(&size);
//
// The new holder owns the reference QueryInterface handed out; it is empty when the object does not answer
// the identifier (or the source holder is empty).
#ifndef QENPROPERTIES_HOST_QUERY_AS_H_
#define QENPROPERTIES_HOST_QUERY_AS_H_

#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace host {

// QueryAs asks `object` for `iid` and returns the answer as a QRef<U>; empty on any non-zero result.
template <class U, class T>
QRef<U> QueryAs(T* object, const _QGUID& iid) {
  QRef<U> result;
  if (object == nullptr) return result;
  if (object->QueryInterface(iid, result.PutVoid()) != kResultOk) result.reset();
  return result;
}

template <class U, class T>
QRef<U> QueryAs(const QRef<T>& object, const _QGUID& iid) {
  return QueryAs<U>(object.get(), iid);
}

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_QUERY_AS_H_
