#include "CatalogReader.h"

bool ReadCatalog(TDBData& data, const std::string& database, const CatalogReadOptions& options,
                 DatabaseSchema& out, CatalogReadEvents* events)
{
    CatalogReadEvents none;
    CatalogReadEvents& tell = events ? *events : none;
    out = DatabaseSchema{database, {}, {}};
    bool allRead = true;
    for (bool tables : {true, false}) {
        tell.TreeStarted(tables);
        NameList names;
        allRead &= tables ? data.GetTableList(database, names) : data.GetViewList(database, names);
        SchemaObjects& objects = tables ? out.Tables : out.Views;
        for (const std::string& name : names) {
            ColumnList columns;
            bool columnsRead = data.GetColumnList(name, columns);
            allRead &= columnsRead;
            SchemaObject object = NamedObject(name, data.OriginalUtf8(name), columns);
            for (SchemaColumn& c : object.Columns)
                c.NameUtf8 = data.OriginalUtf8(c.Name);
            if (tables && options.Identity)
                allRead &= data.GetIdentityColumns(name, object.Identity);
            objects.push_back(object);
            tell.ObjectRead(tables, objects.back(), columnsRead);
        }
        tell.TreeDone(tables);
    }
    return allRead;
}
