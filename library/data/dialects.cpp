// The SQL fragments that differ between the engines the CRM database runs on.
#include <array>

#include "data/cdatabase_state.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

using Fragments = std::array<const char*, 9>;

// In property order: FirstLast, MrFirstLast, Discount, ContNullPerson,
// NameDepart, NullContID, PersonContact, ContactInvoice, ProjectInvoice.
constexpr Fragments kSybase = {
    "IFNULL(Firstname,'',Firstname+' ')+IFNULL(MiddleName,'',MiddleName+' ')+IFNULL(Lastname,'',"
    "Lastname)",
    "IFNULL(Mrmrs,'',Mrmrs+' ')+IFNULL(Firstname,'',Firstname+' ')+IFNULL(MiddleName,'',"
    "MiddleName+' ')+IFNULL(Lastname,'',Lastname)",
    "IFNULL(ADiscount,0,ADiscount)",
    "String(Contact.Contact_id)+'/'+String(Person.Person_id)",
    "IFNULL(department,Name,Name+' '+department)",
    "IFNULL(Contact.Contact_id,0,Contact.contact_id)",
    "String(Person.Person_id)+'/'+String(Person.Contact_id)",
    "String(Contact.Contact_id)+'/'+String(Invoice.Invoice_id)",
    "String(Project.Project_id)+'/'+String(Invoice.Invoice_id)",
};

constexpr Fragments kOracle = {
    "Person.Firstname || ' ' || Person.MiddleName || ' ' || Person.Lastname",
    "IFNULL(Mrmrs,'',Mrmrs+' ')+IFNULL(Firstname,'',Firstname)+' '+IFNULL(Lastname,'',Lastname)",
    "IFNULL(ADiscount,0,ADiscount)",
    "String(Contact.Contact_id)+'/'+String(IFNULL(Person.Person_id,'0',Person.Person_id))",
    "IFNULL(department,Name,Name+' '+department)",
    "IFNULL(Contact.Contact_id,0,Contact.contact_id)",
    "String(Person.Person_id)+'/'+String(Person.Contact_id)",
    "String(Contact.Contact_id)+'/'+String(Invoice.Invoice_id)",
    "String(Project.Project_id)+'/'+String(Invoice.Invoice_id)",
};

constexpr Fragments kSqlServer = {
    "ISNULL(Person.Firstname+' ','')+ISNULL(Person.MiddleName+' ','')+ISNULL(Person.Lastname,'')",
    "ISNULL(Person.Mrmrs+' ','')+ISNULL(Person.Firstname+' ','')+ISNULL(Person.MiddleName+' ','')"
    "+ISNULL(Person.Lastname,'')",
    "ISNULL(ADiscount,0)",
    "STR(Contact.Contact_id)+'/'+STR(ISNULL(Person.Person_id,0))",
    "Name + ISNULL(Contact.department,'')",
    "ISNULL(Contact.Contact_id,0)",
    "STR(Person.Person_id)+'/'+STR(Person.Contact_id)",
    "STR(Contact.Contact_id)+'/'+STR(Invoice.Invoice_id)",
    "STR(Project.Project_id)+'/'+STR(Invoice.Invoice_id)",
};

constexpr Fragments kAccess = {
    "IIf(IsNull(Person.Firstname),'',Person.Firstname)+' '+IIf(IsNull(Person.Lastname),'',"
    "Person.Lastname)",
    "IIf(IsNull(Person.Mrmrs),'',Person.Mrmrs)+' '+IIf(IsNull(Person.Firstname),'',"
    "Person.Firstname)+' '+IIf(IsNull(Person.Lastname),'',Person.Lastname)",
    "IIf(IsNull(ADiscount),0,ADiscount)",
    "STR(Contact.Contact_id)+'/'+STR(iif(IsNull(Person.Person_id),'0',Person.Person_id))",
    "iif(isnull(contact.department),contact.Name,contact.Name+', '+contact.department)",
    "iif(isnull(Contact.Contact_id),0,Contact.contact_id)",
    "STR(Person.Person_id)+'/'+STR(Person.Contact_id)",
    "STR(Contact.Contact_id)+'/'+STR(Invoice.Invoice_id)",
    "STR(Project.Project_id)+'/'+STR(Invoice.Invoice_id)",
};

// Exact, case-sensitive words; the empty word is taken as SQL Server.
const Fragments* FragmentsFor(const std::string& type) {
    if (type == "SYBASE" || type == "ADAPTIVESYBASE") return &kSybase;
    if (type == "ORACLE") return &kOracle;
    if (type == "SQLSERVER" || type.empty()) return &kSqlServer;
    if (type == "ACCESS") return &kAccess;
    return nullptr;
}

}  // namespace

void CDatabase::SetSQLFunctions(const std::string& sDriverType) {
    // An unknown word is no error: the fragments keep what they held.
    const Fragments* fragments = FragmentsFor(sDriverType);
    if (!fragments) return;
    for (std::size_t i = 0; i < impl_->sqlFunct_.size(); ++i) impl_->sqlFunct_[i] = (*fragments)[i];
}

}  // namespace vendral
