#include "Models.h"

using namespace modelgen;

namespace testmodels {

std::string everyOpcodeStream() {
    BglBuilder b;
    Label end = b.label(), body = b.label(), sub = b.label(), back = b.label();
    b.place(back);
    b.cmd(36, {end, 827.0, 0.0, 500.0});     // IFIN1
    b.cmd(57, {end, 300.0, 4.0});            // IFMSK
    b.cmd(28, {end, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0});  // IFIN2
    b.cmd(33, {end, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0});  // IFIN3
    b.cmd(27, {end, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0});  // IFIN_BOX_PLANE
    b.cmd(169, {end, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0}); // IFIN_INSTANCED_BOX_PLANE
    b.cmd(115, {end, -1.0, -2.0, 3.0, 4.0, 5.0, 6.0});  // IFINBOXP
    b.cmd(95, {end, 10.0, 20.0});   // IFSIZEV
    b.cmd(109, {end, 10.0, 20.0});  // IFSIZEH
    b.cmd(37, {end, 1.0, 2.0, 3.0, 123456.0});  // SEPARATION_PLANE
    b.cmd(38, {1.0, -1.0});   // SETWRD
    b.cmd(137, {1000000.0});  // VAR_BASE_32
    b.cmd(159, {-5.0});       // VAR_BASE_OVERRIDE
    b.cmd(172, {2.0});        // BGL_ZBIAS
    b.cmd(196, {3.0});        // BGL_SET_MATRIX_INDIRECT
    b.cmd(182, {0.0, 0.0});   // MATERIAL_LIST_BEGIN
    b.cmd(183, {0.0, 0.0});   // TEXTURE_LIST_BEGIN
    b.cmd(158, {1.0, sub, 2.0, sub, 3.0, end});  // BGL_INTERPOLATE
    b.cmd(173, {1.0, sub, 2.0, end, 0.1, -2.5, 3188.0});  // BGL_ANIMATE
    b.cmd(177, {std::string("tag\0x", 5), 0.1});  // BGL_TAG with a NUL inside
    b.cmd(178, {1.0, 0.1, 0.2, 0.3, 7.0, 1.5e-5, 1e8, -9.0, 0.0, -0.0, 123.456});  // BGL_LIGHT
    b.cmd(167, {body, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 3188.0});  // SPRITE_VICALL
    b.cmd(138, {body});  // BGL_CALL_32
    b.cmd(35, {sub});    // BGL_CALL
    b.cmd(13, {end});    // JUMP
    b.cmd(136, {end});   // BGL_JUMP_32
    b.cmd(136, {back});  // a jump backwards
    b.place(end);
    b.cmd(189, {});  // BGL_END
    b.place(body);
    b.cmd(184, {0.0, 0.0});
    b.triList(0, {{0, 1, 2}, {65535, 1, 0}});
    b.lineList(1, {{0, 1}, {1, 2}});
    b.cmd(184, {0.0, -1.0});
    b.place(sub);
    b.cmd(34, {});  // BGL_RETURN
    return b.bytes();
}

modkit::seasonalTextures defaultSeasons() {
    modkit::seasonalTextures s;
    s.Material = {0, 1, 2, 0, 3};
    s.active = {true, true, true, false, true};
    s.dayStart = {150, 240, 330, 0, 60};
    s.dayEnd = {239, 329, 59, 0, 149};
    return s;
}

std::string everything() {
    Mat m;
    m.power = 0.1f;
    Tex t;
    t.bitmap = "tex.bmp";
    t.bagr = {10, 20, 30, 40};
    t.size = 0.1f;
    Tex t2;
    t2.bitmap = std::string(64, 'x');  // a full-length name, no NUL
    std::vector<Vtx> v(3);
    v[1].x = 0.1f;
    v[2].ty = -1e-7f;
    return mdlFile({{"MDLH", headerBody({1, -2, 3, 4, 5, 6, 7, 8, 2147483647})},
                    {"ISFT", "odd\x01"},
                    {"DICT", "abc"},
                    {"BBOX", bboxBody(-1, -2, -3, 1, 2, 3.5f)},
                    {"SHAD", "shadow bytes"},
                    {"CRAS", "C"}},
                   {{"TEXT", texturesBody({t, t2})},
                    {"MATE", materialsBody({m, Mat{}})},
                    {"VERT", verticesBody(v)},
                    {"BGL ", everyOpcodeStream()},
                    {"TRAN", "t"},
                    {"ANIP", "an"},
                    {"ANIC", "ani"},
                    {"SCEN", "scen!"},
                    {"ATTA", "x"},
                    {"ATTO", "yy"},
                    {"PLAT", "zzz"}});
}

}  // namespace testmodels
