// Application definitions: the "wizard" element, its categories, pages and conditions.
#include "project/KDProperties.h"
#include "wizard/WizardManager.h"
#include "xml/XmlNode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static kalido::TKDProperties *settings = [] {
        auto *s = new kalido::TKDProperties;
        s->SetStoreProvider([] { return std::shared_ptr<kalido::IXMLIni>(); });
        return s;
    }();
    auto doc = kalido::LoadXmlBytes(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    kalido::TxmlNode *wizard = doc->FindChild("wizard");
    const auto steps = kalido::CollectSteps(wizard, *settings, {});
    for (const auto &step : steps) {
        kalido::ConditionHolds(step.Page->Attribute("if"), *settings);
        kalido::ParseHeight(step.Page->Attribute("height"));
    }
    return 0;
}
