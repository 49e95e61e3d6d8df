#pragma once

#include <type_traits>
#include <utility>

#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/model/vda_circle.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_group.h>
#include <vdacheck/model/vda_header.h>
#include <vdacheck/model/vda_mdi.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_point.h>
#include <vdacheck/model/vda_pset.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_tlist.h>
#include <vdacheck/model/vda_tmat.h>
#include <vdacheck/model/vda_top.h>

// A list of entity classes, walked at compile time.
template <class... T>
struct vdaTypeList {
    static constexpr std::size_t size = sizeof...(T);

    // Calls f.template operator()<T>() for each class in order, until one call returns true; true when one did.
    template <class F>
    static constexpr bool any(F&& f)
    {
        return (f.template operator()<T>() || ...);
    }
};

// Every entity class of the model, in the order of the VDA-FS statements' first appearance in the
// format's description. Code that treats each entity type its own way derives from this one list.
using vdaEntityTypes = vdaTypeList<vdaHeader, vdaPoint, vdaPset, vdaMDI, vdaCircle, vdaCurve, vdaSurf, vdaCons, vdaFace,
                                   vdaTop, vdaGroup, vdaBeginSet, vdaTmat, vdaTlist>;

// 1 when the class of `entity` is exactly one of the list's.
template <class List>
bool vda_is_one_of(const vdaObject& entity) noexcept
{
    return List::any([&]<class T>() { return entity.is_type(T::id) != 0; });
}

// Calls f with `entity` as its exact class (one of vdaEntityTypes) and returns what f returns; f must
// accept every class of the list. An entity of no listed class (only possible for classes derived outside
// the library) gets `otherwise()`.
template <class F, class Otherwise>
decltype(auto) vda_visit(const vdaObject& entity, F&& f, Otherwise&& otherwise)
{
    using Result = decltype(f(std::declval<const vdaHeader&>()));
    if constexpr (std::is_void_v<Result>) {
        if (!vdaEntityTypes::any([&]<class T>() {
                if (&entity.type() != &T::id)
                    return false;
                f(static_cast<const T&>(entity));
                return true;
            }))
            otherwise();
    } else {
        Result result{};
        if (!vdaEntityTypes::any([&]<class T>() {
                if (&entity.type() != &T::id)
                    return false;
                result = f(static_cast<const T&>(entity));
                return true;
            }))
            result = otherwise();
        return result;
    }
}
