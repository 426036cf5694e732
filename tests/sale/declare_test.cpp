#include <gtest/gtest.h>

#include <functional>

#include "platform/form.h"
#include "sale/sale.h"

namespace {

using platform::ClientDataSet;
using platform::DBGrid;

struct GridCase {
  const char* name;
  std::function<void(ClientDataSet&)> fields;
  std::function<void(DBGrid&)> columns;
  int fieldCount;
};

// Each grid's columns name fields its record set declares, and the record
// sets open empty with their declared fields.
TEST(SaleDeclarations, GridsShowDeclaredFields) {
  const GridCase cases[] = {
      {"PedidoVenda", sale::declarePedidoVenda, sale::declarePedidoVendaColumns, 44},
      {"Itens", sale::declareItens, sale::declareItensColumns, 18},
      {"ImpostoItem", sale::declareImpostoItem, sale::declareImpostoItemColumns, 11},
      {"TipoRece", sale::declareTipoRece, sale::declareTipoReceColumns, 16},
      {"ItensCancelados", sale::declareItensCancelados, sale::declareItensCanceladosColumns, 18},
  };
  for (const GridCase& c : cases) {
    SCOPED_TRACE(c.name);
    platform::Form form("frm");
    ClientDataSet set(c.name);
    platform::DataSource source;
    source.setDataSet(&set);
    DBGrid& grid = form.add<DBGrid>("dbg");
    grid.setDataSource(&source);
    c.fields(set);
    c.columns(grid);
    EXPECT_EQ(set.fieldCount(), c.fieldCount);
    set.createDataSet();
    EXPECT_TRUE(set.active());
    for (int i = 0; i < grid.columnCount(); ++i)
      EXPECT_NE(grid.column(i).field(), nullptr) << grid.column(i).fieldName();
    EXPECT_TRUE(grid.options().confirmDelete);
  }
}

TEST(SaleDeclarations, CalculatedTotalsStayOutOfPackets) {
  ClientDataSet itens("cdsItens");
  sale::declareItens(itens);
  itens.createDataSet();
  for (const platform::FieldDef& d : itens.fieldDefs()) EXPECT_NE(d.name, "VRTOTAL");
  EXPECT_EQ(itens.fieldDefs().size(), 17u);
}

TEST(SaleDeclarations, ProductQueryAcceptsThreeKindsOfCode) {
  platform::TADOIBQuery q("qryProdValid");
  sale::declareProdValid(q);
  size_t at = 0;
  int seen = 0;
  while ((at = q.SQL.find(":P_CDPRODUTO", at)) != std::string::npos) ++seen, ++at;
  EXPECT_EQ(seen, 3);
  for (const char* column : {"CDARVPROD   =", "CDBARPRODUTO =", "CDPRODINTE  ="})
    EXPECT_NE(q.SQL.find(column), std::string::npos) << column;
  EXPECT_EQ(q.declaredFields().size(), 5u);
}

}  // namespace
