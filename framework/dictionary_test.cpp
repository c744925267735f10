#include <gtest/gtest.h>

#include <vector>

#include "framework/GODictionary.h"
#include "framework/GameObject.h"

namespace {

using GFC::GameObject;
using GFC::GODictionary;

GameObject Obj(unsigned int id) {
    GameObject o;
    o.SetID(id);
    return o;
}

std::vector<unsigned int> Walk(GODictionary& d) {
    std::vector<unsigned int> ids;
    d.BeginIter();
    while (GameObject* o = d.NextIterObj()) {
        ids.push_back(o->GetID());
    }
    return ids;
}

TEST(GameObject, StartsWithoutAnIdAndCopiesIt) {
    GameObject o;
    EXPECT_EQ(o.GetID(), 0xFFFFFFFFu);
    o.SetID(7);
    GameObject copy(o);
    EXPECT_EQ(copy.GetID(), 7u);
    GameObject assigned;
    assigned = o;
    EXPECT_EQ(assigned.GetID(), 7u);

    const Lumo::RTTInfo* info = o.GetRTTInfo();
    EXPECT_EQ(info, &GameObject::m_classGameObject);
    EXPECT_STREQ(info->GetName(), "GameObject");
    EXPECT_EQ(info->GetParent(), &Lumo::RTTIObj::m_classRTTIObj);
    EXPECT_EQ(info->GetFactory(), nullptr);
    EXPECT_TRUE(o.IsKindOf(&Lumo::RTTIObj::m_classRTTIObj));
    EXPECT_EQ(Lumo::RTTInfo::Find("GameObject"), info);
}

TEST(GODictionary, FirstObjectOfAnIdStaysAndUnregisterGoesByIdAlone) {
    GameObject first = Obj(5), second = Obj(5), other = Obj(9);
    GODictionary d;
    d.RegisterObj(&first);
    d.RegisterObj(&second);
    d.RegisterObj(&other);
    d.RegisterObj(nullptr);
    EXPECT_EQ(d.Count(), 2u);
    EXPECT_EQ(d.GetObj(5), &first);
    EXPECT_EQ(d.GetObj(6), nullptr);

    // Never registered, but it shares id 5: the registered one goes.
    d.UnregisterObj(&second);
    EXPECT_EQ(d.GetObj(5), nullptr);
    d.UnregisterObj(&second);
    d.UnregisterObj(nullptr);
    EXPECT_EQ(d.GetObj(9), &other);
}

TEST(GODictionary, WalksInAscendingIdOrderAndSurvivesUnregistering) {
    std::vector<GameObject> objs;
    for (unsigned int id : {40u, 10u, 30u, 20u, 50u}) {
        objs.push_back(Obj(id));
    }
    GODictionary d;
    for (GameObject& o : objs) {
        d.RegisterObj(&o);
    }
    EXPECT_EQ(Walk(d), (std::vector<unsigned int>{10, 20, 30, 40, 50}));

    // Unregister the object just returned, and the one that would come next.
    d.BeginIter();
    std::vector<unsigned int> seen;
    while (GameObject* o = d.NextIterObj()) {
        seen.push_back(o->GetID());
        d.UnregisterObj(o);
        if (o->GetID() == 20) {
            GameObject next = Obj(30);
            d.UnregisterObj(&next);
        }
    }
    EXPECT_EQ(seen, (std::vector<unsigned int>{10, 20, 40, 50}));
    EXPECT_EQ(d.Count(), 0u);
    EXPECT_EQ(d.NextIterObj(), nullptr);
}

TEST(GODictionary, CopiesHoldTheSameEntriesAndIterateOnTheirOwn) {
    GameObject a = Obj(1), b = Obj(2);
    GODictionary d;
    d.RegisterObj(&a);
    d.RegisterObj(&b);
    d.BeginIter();
    d.NextIterObj();
    GODictionary copy(d);
    d.UnregisterObj(&a);
    EXPECT_EQ(copy.GetObj(1), &a);
    EXPECT_EQ(copy.NextIterObj(), nullptr);  // must be restarted
    EXPECT_EQ(Walk(copy), (std::vector<unsigned int>{1, 2}));

    GODictionary assigned;
    assigned = copy;
    copy.EndIter();
    EXPECT_EQ(Walk(assigned), (std::vector<unsigned int>{1, 2}));
    d.EndIter();
    EXPECT_EQ(d.NextIterObj(), nullptr);
}

}  // namespace
