#pragma once
// Window operations that record each call and let a test look at the window
// while the operation runs (`during`) or make it fail, so the window's
// framing is checked without registers or a database.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ui/window_operations.h"
#include "core/app_state.h"

namespace rubso::test {

class FakeWindowOperations : public WindowOperations {
  public:
    std::vector<std::string> calls;
    // Runs inside the next operation, then is cleared.
    std::function<void()> during;
    // The next operation raises this text, then it is cleared.
    std::string failWith;

    std::vector<RegisterListRow> registers = {{0, "1"}, {1, "2"}};
    std::vector<int> selectedIds;
    int storedListChoice = 1;
    std::optional<int> listChoiceStoredAtClose;
    std::vector<std::string> exported;
    std::vector<std::string> keepAfterExport;  // what the export leaves marked
    ExportChoice exportChoice;
    std::vector<std::string> tickedGroups;
    std::vector<CodeResetValue> resets;
    std::vector<RegisterCodeRow> codes = {
        {1, "Mleko", 2.5, "", ""}, {2, "Chleb", 3.0, "", ""}, {3, "Woda", 1.5, "", ""}};
    std::vector<std::int64_t> deleted;
    std::size_t deleteStopsAt = SIZE_MAX;  // index of the code whose deletion fails
    std::optional<std::vector<std::string>> registerGoods =
        std::vector<std::string>{"#1", "#1", "#KOD", "$00001\tMleko"};
    std::vector<std::string> transferred;

    std::vector<RegisterListRow> Registers() override {
        Run("Registers");
        return registers;
    }
    void SelectRegister(int id) override {
        selectedIds.push_back(id);
        App().registerNo = id + 1;
    }
    void InitExchange(std::function<void(const std::string&)>) override { Run("InitExchange"); }
    void RunSchemaPass() override { Run("RunSchemaPass"); }
    int ReadListChoice() override {
        Run("ReadListChoice");
        return storedListChoice;
    }
    void StoreListChoiceAndDisconnect(int choice) override {
        listChoiceStoredAtClose = choice;
        Run("StoreListChoiceAndDisconnect");
    }
    void ReadSales() override { Run("ReadSales"); }
    void ResetCounters() override { Run("ResetCounters"); }
    void TransferSalesRead(const std::string& file) override {
        transferred.push_back(file);
        Run("TransferSalesRead");
    }
    void ExportGoods(std::vector<std::string>& marked, ExportChoice choice) override {
        exported = marked;
        exportChoice = choice;
        marked = keepAfterExport;
        Run("ExportGoods");
    }
    void AssignRegisterCodes(const std::vector<std::string>& groups) override {
        tickedGroups = groups;
        Run("AssignRegisterCodes");
    }
    bool ResetRegisterCodes(CodeResetValue value) override {
        resets.push_back(value);
        Run("ResetRegisterCodes");
        return true;
    }
    std::vector<RegisterCodeRow> RegisterCodes() override { return codes; }
    void DeleteSelected(std::vector<std::int64_t>& selected) override {
        std::vector<std::int64_t> left;
        for (std::size_t i = 0; i < selected.size(); ++i) {
            if (i >= deleteStopsAt) {
                left.assign(selected.begin() + static_cast<std::ptrdiff_t>(i), selected.end());
                break;
            }
            deleted.push_back(selected[i]);
            std::erase_if(codes,
                          [&](const RegisterCodeRow& row) { return row.kod == selected[i]; });
        }
        selected = left;
        Run("DeleteSelected");
    }
    void DeleteAll() override {
        codes.clear();
        Run("DeleteAll");
    }
    std::optional<std::vector<std::string>> ReadRegisterGoods() override {
        Run("ReadRegisterGoods");
        return registerGoods;
    }
    void GoodsFileTest() override { Run("GoodsFileTest"); }
    CatalogueColumns ReadCatalogueColumns(const std::string&) override { return columns; }

    CatalogueColumns columns{true, {"ASORT", "NAZWA", "KOD_EAN"}, {"CENA_1", "CENA_2"}, 2};

  private:
    void Run(const std::string& name) {
        calls.push_back(name);
        if (during) {
            const std::function<void()> once = std::move(during);
            during = nullptr;
            once();
        }
        if (!failWith.empty()) {
            const std::string message = failWith;
            failWith.clear();
            throw std::runtime_error(message);
        }
    }
};

}  // namespace rubso::test
