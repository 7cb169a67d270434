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
        SchemaObjects names;
        allRead &= tables ? data.GetTableList(database, names) : data.GetViewList(database, names);
        if (options.Wanted) {
            SchemaObjects wanted;
            for (const SchemaObject& listed : names)
                if (options.Wanted(listed.Name))
                    wanted.push_back(listed);
            names = wanted;
        }
        // The columns of the whole tree, and a table's identity columns, in
        // a few batches.
        std::vector<ColumnList> columns;
        std::vector<bool> columnsRead = data.GetColumnLists(names, columns);
        std::vector<IdentityNames> identity(names.size());
        std::vector<bool> identityRead(names.size(), true);
        if (tables && options.Identity)
            identityRead = data.GetIdentityColumnLists(names, identity);
        SchemaObjects& objects = tables ? out.Tables : out.Views;
        for (std::size_t k = 0; k < names.size(); ++k) {
            allRead &= columnsRead[k] && identityRead[k];
            SchemaObject object = NamedObject(names[k], columns[k]);
            object.Identity = identity[k];
            objects.push_back(object);
            tell.ObjectRead(tables, objects.back(), columnsRead[k]);
        }
        tell.TreeDone(tables);
    }
    return allRead;
}
