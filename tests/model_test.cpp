#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <vdacheck/vdacheck.h>

namespace {

using Names = std::vector<std::string>;

// The names in file order, once by the walking iterator and once by the range.
Names walk(const vdaFile& file)
{
    Names names, ranged;
    vdaFileIT it(file, 0);
    while (++it)
        names.emplace_back(it()->name().view());
    for (const vdaObject& entity : file)
        ranged.emplace_back(entity.name().view());
    EXPECT_EQ(names, ranged);
    return names;
}

}  // namespace

TEST(vdaFile, KeepsFileOrderAndSurvivesDeletionDuringAWalk)
{
    vdaFile file;
    for (const char* name : {"A", "B", "C", "D", "E"})
        file.create<vdaPoint>(name, giPoint3());
    // Delete the current entity and one ahead of the walk; add one at the end.
    Names seen;
    vdaFileIT it(file, 0);
    while (++it) {
        seen.emplace_back(it()->name().view());
        if (it()->name() == "B") {
            file.remove(*file.find("D"));
            delete it();
            file.create<vdaPoint>("F", giPoint3());
        }
    }
    EXPECT_EQ(seen, (Names{"A", "B", "C", "E", "F"}));
    EXPECT_EQ(walk(file), (Names{"A", "C", "E", "F"}));
    EXPECT_EQ(file.size(), 4);
}

TEST(vdaFile, FirstEntityOfANameWinsUntilDeleted)
{
    vdaFile file;
    vdaObject& first = file.create<vdaPoint>("P", giPoint3(1, 0, 0));
    file.create<vdaCurve>("C");
    vdaObject& second = file.create<vdaPset>("P", std::vector<giPoint3>{});
    vdaObject& third = file.create<vdaMDI>("P", std::vector<giPoint3>{}, std::vector<giVector3>{});
    EXPECT_EQ(walk(file), (Names{"P", "C", "P", "P"}));
    delete &second;  // a later duplicate: the first still wins
    EXPECT_EQ(file.find("P"), &first);
    delete &first;
    EXPECT_EQ(file.find("P"), &third);
    file.remove(third);
    EXPECT_EQ(file.find("P"), nullptr);
    // The name can be taken again after all of its entities are gone.
    vdaObject& again = file.create<vdaPoint>("P", giPoint3());
    EXPECT_EQ(file.find("P"), &again);
}

TEST(vdaFile, ReferencesReadAsNullWhileTheirNameHasNoEntity)
{
    vdaFile file;
    vdaCons& cons = file.create<vdaCons>("CN", "SF", "CV", 0.0, 1.0);
    EXPECT_FALSE(cons.curve_3d());  // forward reference, not yet defined
    vdaObject& curve = file.create<vdaCurve>("CV");
    EXPECT_EQ(cons.curve_3d()(), &curve);
    delete &curve;
    EXPECT_FALSE(cons.curve_3d());
    EXPECT_EQ(cons.curve_3d_name(), "CV");
    vdaObject& replacement = file.create<vdaCurve>("CV");
    EXPECT_EQ(cons.curve_3d()(), &replacement);

    vdaGroup& group = file.create<vdaGroup>("G", std::vector<utString>{"CN", "NOWHERE", "CV"});
    group.set_element(0, vdaObjectPtr());
    EXPECT_TRUE(group.element_name(0).empty());
    EXPECT_EQ(group.remove_null_elements(), 2);
    ASSERT_EQ(group.num_elements(), 1);
    EXPECT_EQ(group.element(0)(), &replacement);
}

TEST(vdaFile, RejectsEntitiesItDoesNotOwn)
{
    vdaFile a;
    vdaFile b;
    vdaObject& point = a.create<vdaPoint>("P", giPoint3());
    EXPECT_THROW(b.remove(point), std::logic_error);
    EXPECT_THROW(b.add(std::unique_ptr<vdaObject>(&point)), std::logic_error);
    EXPECT_THROW(b.add(nullptr), std::invalid_argument);
    // The failed calls left the entity where it was.
    EXPECT_EQ(a.find("P"), &point);
    EXPECT_EQ(point.file(), &a);
    EXPECT_EQ(b.size(), 0);
}

TEST(vdaFile, NamesResolveInTheCurrentFileOfTheThread)
{
    vdaFile a;
    vdaObject& in_a = a.create<vdaPoint>("P", giPoint3());
    {
        vdaFile b;
        vdaObject& in_b = b.create<vdaPoint>("P", giPoint3());
        EXPECT_EQ(vdaObjectPtr(utString("P"))(), &in_b) << "the newest file is current";
        a.make_current();
        EXPECT_EQ(vdaObjectPtr(utString("P"))(), &in_a);
        b.make_current();
        {
            vdaFile c;
            EXPECT_FALSE(vdaObjectPtr(utString("P"))) << "a new, empty file is current";
        }
        EXPECT_EQ(vdaFile::current(), &b) << "back to the newest file still alive";
        // An entity's own references resolve in its file, whatever file is current.
        vdaCons& cons = a.create<vdaCons>("CN", "", "P", 0.0, 1.0);
        EXPECT_EQ(cons.curve_3d()(), &in_a);
        // An entity outside any file resolves in the current file.
        const vdaCons loose("LOOSE", "", "P", 0.0, 1.0);
        EXPECT_EQ(loose.curve_3d()(), &in_b);
        EXPECT_FALSE(vdaObjectPtr(utString("")));
    }
    EXPECT_EQ(vdaFile::current(), &a);
    vdaObject* from_other_thread = &in_a;
    std::thread([&] { from_other_thread = vdaObjectPtr(utString("P"))(); }).join();
    EXPECT_EQ(from_other_thread, nullptr) << "another thread has its own current file";

    // A file made on one thread and destroyed on another stops being current on the first.
    std::unique_ptr<vdaFile> made;
    std::mutex step;
    std::condition_variable turn;
    int stage = 0;
    vdaFile* current_after = &a;
    std::thread maker([&] {
        std::unique_lock<std::mutex> lock(step);
        made = std::make_unique<vdaFile>();
        stage = 1;
        turn.notify_all();
        turn.wait(lock, [&] { return stage == 2; });
        current_after = vdaFile::current();
    });
    {
        std::unique_lock<std::mutex> lock(step);
        turn.wait(lock, [&] { return stage == 1; });
        made.reset();
        stage = 2;
        turn.notify_all();
    }
    maker.join();
    EXPECT_EQ(current_after, nullptr);
}

TEST(vdaObject, TypeTestsAndCasts)
{
    vdaFile file;
    const std::pair<vdaObject*, const TypeInfo*> cases[] = {
        {&file.create<vdaPoint>("P", giPoint3()), &vdaPoint::id},
        {&file.create<vdaCurve>("C"), &vdaCurve::id},
        {&file.create<vdaGroup>("G"), &vdaGroup::id},
        {&file.create<vdaBeginSet>("S"), &vdaBeginSet::id},
        {&file.create<vdaTlist>("TL", "TM"), &vdaTlist::id},
    };
    for (const auto& [entity, own] : cases) {
        SCOPED_TRACE(own->command_word());
        EXPECT_EQ(entity->is_type(*own), 1);
        EXPECT_EQ(entity->can_cast(vdaObject::id), 1);
        const bool listing = own == &vdaGroup::id || own == &vdaBeginSet::id || own == &vdaTlist::id;
        EXPECT_EQ(entity->can_cast(vdaElementList::id), listing ? 1 : 0);
        EXPECT_EQ(entity->is_type(vdaElementList::id), 0);
        EXPECT_EQ(vda_cast<vdaCurve>(entity) != nullptr, own == &vdaCurve::id);
    }
    EXPECT_EQ(vda_cast<vdaCurve>(static_cast<vdaObject*>(nullptr)), nullptr);
}

TEST(vdaObject, ChangesThroughPartsMarkTheirEntity)
{
    // Entities read from text start unchanged, so every setter below must be what marks them.
    const char* text = "H = HEADER / 0\n"
                       "CN = CONS / SF, CV, 0., 1., 0\n"
                       "FC = FACE / SF, 2, 1, CN, 0., 1., 1, CN, 0., 1.\n"
                       "TP = TOP / 1, FC, 1, CN, 0., 1., FC, 0, 1\n";
    for (int b = 0; b < 2; ++b) {
        const auto file = vdaReader::read(text, "parts.vda");
        vdaFace& face = *vda_cast<vdaFace>(file->find("FC"));
        face.boundary(b).curve_segment(0).set_parameters(0.0, 0.75);
        EXPECT_TRUE(face.changed()) << "boundary " << b;
    }
    const auto file = vdaReader::read(text, "parts.vda");
    vdaFace& face = *vda_cast<vdaFace>(file->find("FC"));
    face.boundary(0).add_curve_segment(vdaTrimmedCurve("CN", 0.5, 1.0));
    EXPECT_TRUE(face.changed());
    vdaTop& top = *vda_cast<vdaTop>(file->find("TP"));
    ASSERT_FALSE(top.changed());
    top.surface_pair(0).first_linked_surface().trimmed_curve(0).set_parameters(0.0, 0.5);
    EXPECT_TRUE(top.changed());

    vdaFile other;  // now current: the parts must still resolve in their own file
    EXPECT_EQ(face.boundary(0).curve_segment(1).basis_curve()(), file->find("CN")) << "the added piece";
    EXPECT_EQ(top.surface_pair(0).first_linked_surface().trimmed_curve(0).basis_curve()(), file->find("CN"));
    EXPECT_EQ(top.surface_pair(0).second_linked_surface().basis_entity()(), file->find("FC"));
}

TEST(vdaObject, ConstructorsRejectMismatchedSizes)
{
    using P3 = std::vector<giPoint3>;
    EXPECT_THROW(vdaCurveSegment(0, 1, 3, P3(2)), std::invalid_argument);
    EXPECT_THROW(vdaCurveSegment(0, 1, 0, P3(1)), std::invalid_argument);
    EXPECT_NO_THROW(vdaCurveSegment(0, 1, -4, P3{}));  // kept for the checks to report
    EXPECT_EQ(vdaConsSegment(0, 1, {giPoint2(), giPoint2(), giPoint2()}).order(), 3);
    EXPECT_THROW(vdaSurfPatch(0, 1, 0, 1, 2, 3, P3(5)), std::invalid_argument);
    EXPECT_NO_THROW(vdaSurfPatch(0, 1, 0, 1, 0, 3, P3{}));
    EXPECT_THROW(vdaSurfPatch(0, 1, 0, 1, -2, -3, P3(6)), std::invalid_argument);
    const vdaSurfPatch patch(0, 1, 0, 1, 1, 1, P3(1));
    EXPECT_THROW(vdaSurf("S", 2, 1, {patch}), std::invalid_argument);
    EXPECT_THROW(vdaSurf("S", 0, 1, {patch}), std::invalid_argument);
    EXPECT_NO_THROW(vdaSurf("S", 0, 5, {}));
    EXPECT_THROW(vdaMDI("M", P3(2), std::vector<giVector3>(1)), std::invalid_argument);
}
