#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

#include "lumo/Camera.h"
#include "lumo/Math.h"

namespace {

using Lumo::AABBox;
using Lumo::D3DXMATRIX;
using Lumo::D3DXVECTOR3;
using Lumo::Ray;

TEST(TruncToInt, TruncatesTowardZeroAndSaturatesWhereACastWouldBeUndefined) {
    EXPECT_EQ(Lumo::TruncToInt(-0.5f), 0);
    EXPECT_EQ(Lumo::TruncToInt(-1.5f), -1);
    EXPECT_EQ(Lumo::TruncToInt(2.99f), 2);
    EXPECT_EQ(Lumo::TruncToInt(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(Lumo::TruncToInt(std::numeric_limits<float>::infinity()), INT32_MAX);
    EXPECT_EQ(Lumo::TruncToInt(-std::numeric_limits<float>::infinity()), INT32_MIN);
    EXPECT_EQ(Lumo::TruncToInt(3e9f), INT32_MAX);
    EXPECT_EQ(Lumo::TruncToInt(-2147483648.0f), INT32_MIN);
    EXPECT_EQ(Lumo::TruncToInt(2147483520.0f), 2147483520);  // the largest float below 2^31
}

TEST(Matrix, ProductsApplyLeftFactorFirstAndTransformRowVectors) {
    D3DXMATRIX scale, move;
    scale.m[0][0] = scale.m[1][1] = scale.m[2][2] = 2;
    move.m[3][0] = 10;
    move.m[3][1] = 20;
    move.m[3][2] = 30;
    EXPECT_EQ(Lumo::TransformCoord({1, 2, 3}, scale * move), D3DXVECTOR3(12, 24, 36));
    EXPECT_EQ(Lumo::TransformCoord({1, 2, 3}, move * scale), D3DXVECTOR3(22, 44, 66));
    EXPECT_EQ(Lumo::TransformNormal({1, 2, 3}, scale * move), D3DXVECTOR3(2, 4, 6));
    EXPECT_EQ(D3DXMATRIX() * move, move);
}

TEST(AABBox, TouchingBoxesMeetAndAShrinkSeparatesThem) {
    AABBox a({0, 0, 0}, {10, 10, 10});
    AABBox b({10, 0, 0}, {20, 10, 10});
    EXPECT_TRUE(a.Intersects(b));
    EXPECT_TRUE(b.Intersects(a));
    EXPECT_FALSE(a.Inflated(-1, 0, -1).Intersects(b.Inflated(-1, 0, -1)));
    EXPECT_FALSE(a.Intersects(AABBox({0, 11, 0}, {1, 12, 1})));
    AABBox empty({5, 5, 5}, {4, 6, 6});
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_FALSE(a.Intersects(empty));
    EXPECT_FALSE(empty.Intersects(empty));

    AABBox grown;
    grown.min = {1, 1, 1};
    grown.max = {0, 0, 0};
    grown.Merge({3, -1, 2});
    grown.Merge({-2, 4, 2});
    EXPECT_EQ(grown.min, D3DXVECTOR3(-2, -1, 2));
    EXPECT_EQ(grown.max, D3DXVECTOR3(3, 4, 2));

    D3DXMATRIX turn;  // a quarter turn about y: x -> -z, z -> x
    turn.m[0][0] = 0;
    turn.m[0][2] = -1;
    turn.m[2][0] = 1;
    turn.m[2][2] = 0;
    AABBox turned = AABBox({0, 0, 0}, {4, 1, 2}).Transformed(turn);
    EXPECT_EQ(turned.min, D3DXVECTOR3(0, 0, -4));
    EXPECT_EQ(turned.max, D3DXVECTOR3(2, 1, 0));
}

TEST(Ray, HitsGiveTheEntryDistanceAndMissesTheLargestFloat) {
    AABBox box({0, 0, 0}, {10, 10, 10});
    auto hit = Ray{{-5, 5, 5}, {1, 0, 0}}.Intersect(box);
    EXPECT_TRUE(hit.first);
    EXPECT_FLOAT_EQ(hit.second, 5);
    hit = Ray{{5, 5, 5}, {0, 1, 0}}.Intersect(box);  // from inside
    EXPECT_TRUE(hit.first);
    EXPECT_EQ(hit.second, 0);
    for (const Ray& miss : {Ray{{-5, 5, 5}, {-1, 0, 0}},     // pointing away
                            Ray{{-5, 11, 5}, {1, 0, 0}},     // parallel, beside the slab
                            Ray{{-5, 5, 5}, {0, 0, 0}},      // no direction, outside
                            Ray{{-5, 5, 5}, {1, 1.01f, 0}},  // passes above the far edge
                            Ray{{NAN, 5, 5}, {1, 0, 0}}, Ray{{-5, 5, 5}, {NAN, 0, 0}}}) {
        auto r = miss.Intersect(box);
        EXPECT_FALSE(r.first);
        EXPECT_EQ(r.second, FLT_MAX);
    }
    EXPECT_FALSE(Ray({{5, 5, 5}, {1, 0, 0}}).Intersect(AABBox({1, 1, 1}, {0, 0, 0})).first);
}

// Random rays against random boxes, checked by walking each ray in small
// steps: a hit's point lies on the box and nothing before it is inside; a
// miss has no sample inside.
TEST(Ray, AgreesWithASteppedWalkOnRandomBoxes) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> pos(-20, 20), size(0.5f, 30), dirc(-1, 1);
    int hits = 0;
    for (int n = 0; n < 2000; ++n) {
        D3DXVECTOR3 lo(pos(rng), pos(rng), pos(rng));
        AABBox box(lo, lo + D3DXVECTOR3(size(rng), size(rng), size(rng)));
        // Aimed at a point near the box, so that about half the rays hit.
        const D3DXVECTOR3 origin(pos(rng), pos(rng), pos(rng));
        const D3DXVECTOR3 near =
            (box.min + box.max) * 0.5f + D3DXVECTOR3(dirc(rng), dirc(rng), dirc(rng)) * 15.0f;
        Ray ray{origin, Lumo::Normalize(near - origin)};
        auto r = ray.Intersect(box);
        const float step = 0.01f;
        float firstInside = -1;
        for (float t = 0; t < 200; t += step) {
            if (box.Contains(ray.PointAt(t))) {
                firstInside = t;
                break;
            }
        }
        if (firstInside < 0) {
            // A ray grazing an edge may slip between samples; the answer must
            // then be a hit of (nearly) no length, never a deep one.
            if (r.first) {
                EXPECT_TRUE(box.Inflated(0.02f, 0.02f, 0.02f).Contains(ray.PointAt(r.second)));
            }
            continue;
        }
        ++hits;
        ASSERT_TRUE(r.first) << n;
        EXPECT_NEAR(r.second, firstInside, step * 1.01f) << n;
        EXPECT_TRUE(box.Inflated(1e-3f, 1e-3f, 1e-3f).Contains(ray.PointAt(r.second))) << n;
    }
    EXPECT_GT(hits, 400);  // both answers are well represented
    EXPECT_LT(hits, 1600);
}

TEST(Camera, TheCentreRayLooksAtTheTargetAndScreenPointsRoundTrip) {
    Lumo::CameraBase cam;
    cam.SetViewport(801, 601);
    cam.SetPerspective(1.0f, 1, 10000);
    cam.SetLookAt({100, 500, -300}, {200, 0, 400}, {0, 1, 0});
    Ray ray;
    cam.GetMouseRay(400, 300, ray);  // the centre pixel of an odd-sized viewport
    EXPECT_NEAR(Lumo::Length(ray.dir), 1, 1e-5);
    const D3DXVECTOR3 toTarget = Lumo::Normalize(cam.GetLookat() - ray.origin);
    EXPECT_NEAR(Lumo::Dot(ray.dir, toTarget), 1, 1e-6);

    for (auto [x, y] : {std::pair{0, 0}, {800, 600}, {17, 555}, {640, 12}}) {
        cam.GetMouseRay(x, y, ray);
        float sx, sy;
        ASSERT_TRUE(cam.WorldToScreen(ray.PointAt(1234), sx, sy));
        EXPECT_NEAR(sx, x + 0.5f, 1e-2) << x;
        EXPECT_NEAR(sy, y + 0.5f, 1e-2) << y;
    }
    float sx, sy;
    EXPECT_FALSE(cam.WorldToScreen({100, 600, -1000}, sx, sy));  // behind the eye
    // The right half of the screen is to the camera's right.
    cam.GetMouseRay(700, 300, ray);
    D3DXVECTOR3 right = Lumo::Cross({0, 1, 0}, cam.GetLookat() - cam.GetLookFrom());
    EXPECT_GT(Lumo::Dot(ray.dir, right), 0);
}

TEST(Camera, AParallelTopViewMapsPixelsToTheGroundLinearly) {
    Lumo::CameraBase cam;
    cam.SetViewport(200, 100);
    cam.SetOrtho(2000, 1, 100000);
    cam.SetLookAt({1000, 5000, 500}, {1000, 0, 500}, {0, 0, 1});
    Ray ray;
    cam.GetMouseRay(0, 0, ray);  // top-left: smallest x, largest z
    EXPECT_EQ(ray.dir, D3DXVECTOR3(0, -1, 0));
    EXPECT_NEAR(ray.origin.x, 5, 1e-3);
    EXPECT_NEAR(ray.origin.z, 995, 1e-3);
    cam.GetMouseRay(199, 99, ray);
    EXPECT_NEAR(ray.origin.x, 1995, 1e-3);
    EXPECT_NEAR(ray.origin.z, 5, 1e-3);
    float sx, sy;
    ASSERT_TRUE(cam.WorldToScreen({1500, 0, 250}, sx, sy));
    EXPECT_NEAR(sx, 150, 1e-3);
    EXPECT_NEAR(sy, 75, 1e-3);
}

}  // namespace
