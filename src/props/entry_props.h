// The entry property set: the provider-defined tags and the constant tag arrays that describe persons
// and groups. The standard MAPI tags come from the platform headers.
#pragma once

#include "platform/platform.h"

namespace abk {

// Provider-defined string properties of a person.
#define PR_NAME_SUFFIX PROP_TAG(PT_STRING8, 0x5800)
#define PR_PRIMARY_FAX_DESCRIPTION PROP_TAG(PT_STRING8, 0x5801)
#define PR_PRIMARY_FAX_EXTRA1 PROP_TAG(PT_STRING8, 0x5802)
#define PR_PRIMARY_FAX_EXTRA2 PROP_TAG(PT_STRING8, 0x5803)
#define PR_SECONDARY_FAX_DESCRIPTION PROP_TAG(PT_STRING8, 0x5804)
#define PR_SECONDARY_FAX_EXTRA1 PROP_TAG(PT_STRING8, 0x5805)
#define PR_SECONDARY_FAX_EXTRA2 PROP_TAG(PT_STRING8, 0x5806)
#define PR_PRIMARY_FAX_EXTRA3 PROP_TAG(PT_STRING8, 0x5807)
#define PR_SECONDARY_FAX_EXTRA3 PROP_TAG(PT_STRING8, 0x5808)

// Fax-selection flags a group keeps for each person member.
constexpr ULONG kFaxSelectPrimary = 0x1;
constexpr ULONG kFaxSelectSecondary = 0x2;

// The five properties of each fax-number block, number first.
constexpr ULONG kPrimaryFaxBlock[5] = {PR_BUSINESS_FAX_NUMBER, PR_PRIMARY_FAX_DESCRIPTION, PR_PRIMARY_FAX_EXTRA1,
                                       PR_PRIMARY_FAX_EXTRA2, PR_PRIMARY_FAX_EXTRA3};
constexpr ULONG kSecondaryFaxBlock[5] = {PR_HOME_FAX_NUMBER, PR_SECONDARY_FAX_DESCRIPTION, PR_SECONDARY_FAX_EXTRA1,
                                         PR_SECONDARY_FAX_EXTRA2, PR_SECONDARY_FAX_EXTRA3};

// A constant tag array with the SPropTagArray layout: a count, then the tags.
template <ULONG N> struct ConstTagArray {
  ULONG cValues;
  ULONG aulPropTag[N];
  LPSPropTagArray Get() const { return reinterpret_cast<LPSPropTagArray>(const_cast<ConstTagArray*>(this)); }
};

// The person dialog's twelve fields and the group dialog's two, in the dialogs' order.
inline constexpr ConstTagArray<12> kPersonDialogTags = {12,
                                                        {PR_GIVEN_NAME, PR_SURNAME, PR_NAME_SUFFIX, PR_DISPLAY_NAME,
                                                         PR_DISPLAY_NAME_PREFIX, PR_COMPANY_NAME, PR_DEPARTMENT_NAME,
                                                         PR_BUSINESS_FAX_NUMBER, PR_PRIMARY_FAX_DESCRIPTION,
                                                         PR_HOME_FAX_NUMBER, PR_SECONDARY_FAX_DESCRIPTION, PR_COMMENT}};
inline constexpr ConstTagArray<2> kGroupDialogTags = {2, {PR_DISPLAY_NAME, PR_COMMENT}};

// The ten columns the entry dialogs read from a contents table, in their order.
inline constexpr ConstTagArray<10> kDialogRowColumns = {
    10,
    {PR_DISPLAY_NAME, PR_ENTRYID, PR_OBJECT_TYPE, PR_COMPANY_NAME, PR_DEPARTMENT_NAME, PR_BUSINESS_FAX_NUMBER,
     PR_PRIMARY_FAX_DESCRIPTION, PR_HOME_FAX_NUMBER, PR_SECONDARY_FAX_DESCRIPTION, PR_COMMENT}};

// The columns a contents table keeps in each row: the twenty it shows, PR_INSTANCE_KEY (the index) last
// of them, then the name parts that finding people matches.
inline constexpr ConstTagArray<22> kContentsRowColumns = {22,
                                                          {PR_DISPLAY_NAME,
                                                           PR_ENTRYID,
                                                           PR_ADDRTYPE,
                                                           PR_COMPANY_NAME,
                                                           PR_DEPARTMENT_NAME,
                                                           PR_BUSINESS_FAX_NUMBER,
                                                           PR_PRIMARY_FAX_DESCRIPTION,
                                                           PR_PRIMARY_FAX_EXTRA1,
                                                           PR_PRIMARY_FAX_EXTRA2,
                                                           PR_PRIMARY_FAX_EXTRA3,
                                                           PR_HOME_FAX_NUMBER,
                                                           PR_SECONDARY_FAX_DESCRIPTION,
                                                           PR_SECONDARY_FAX_EXTRA1,
                                                           PR_SECONDARY_FAX_EXTRA2,
                                                           PR_SECONDARY_FAX_EXTRA3,
                                                           PR_COMMENT,
                                                           PR_DISPLAY_TYPE,
                                                           PR_SEARCH_KEY,
                                                           PR_OBJECT_TYPE,
                                                           PR_INSTANCE_KEY,
                                                           PR_GIVEN_NAME,
                                                           PR_SURNAME}};

template <ULONG N, ULONG M> constexpr ConstTagArray<N> FirstTags(const ConstTagArray<M>& tags) {
  static_assert(N <= M);
  ConstTagArray<N> first{N, {}};
  for (ULONG i = 0; i < N; ++i)
    first.aulPropTag[i] = tags.aulPropTag[i];
  return first;
}

// The twenty columns every contents table shows.
inline constexpr ConstTagArray<20> kContentsColumns = FirstTags<20>(kContentsRowColumns);
constexpr ULONG kContentsEntryIdColumn = 1;
constexpr ULONG kContentsInstanceKeyColumn = 19;

} // namespace abk
