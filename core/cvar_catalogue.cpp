// Every console variable of the game, defined in this one translation unit together with the
// registry, so that any program using console variables links all of them, and the registry exists
// before the first definition whatever the order of static initialisation.
#include "core/cvar_catalogue.h"

namespace cvar_detail {

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace cvar_detail

CVar* d_NeedSaveTextures = CVar::create("d_NeedSaveTextures", CVar::TYPE_BOOL, "false", 0x01, "d_NeedSaveTextures");
CVar* d_TextureMaxSize = CVar::create("d_TextureMaxSize", CVar::TYPE_FLOAT3, "0 0 1", 0x01, "d_TextureMaxSize");
CVar* d_TextureCoef = CVar::create("d_TextureCoef", CVar::TYPE_FLOAT, "1", 0x01, "d_TextureCoef");
CVar* d_pathSaveTextures = CVar::create("d_pathSaveTextures", CVar::TYPE_STRING, "c:\\", 0x20, "");
CVar* d_ResizeTextureFactor = CVar::create("d_ResizeTextureFactor", CVar::TYPE_FLOAT, "1", 0x01, "d_ResizeTextureFactor");
CVar* d_NoLogTextures = CVar::create("d_NoLogTextures", CVar::TYPE_BOOL, "false", 0x20, "");
CVar* d_DebugModeEnabled = CVar::create("d_DebugModeEnabled", CVar::TYPE_BOOL, "false", 0x20, "");
CVar* d_DebugMode = CVar::create("d_DebugMode", CVar::TYPE_BOOL, "false", 0x01, "d_DebugMode");
CVar* d_NoLimitFPS = CVar::create("d_NoLimitFPS", CVar::TYPE_BOOL, "false", 0x01, "d_NoLimitFPS");
CVar* d_DisableDialogs = CVar::create("d_DisableDialogs", CVar::TYPE_BOOL, "false", 0x01, "d_DisableDialogs");
CVar* d_DisableMusic = CVar::create("d_DisableMusic", CVar::TYPE_BOOL, "false", 0x01, "d_DisableMusic");
CVar* s_WronClickNumber = CVar::create("s_WronClickNumber", CVar::TYPE_INT, "5", 0x01, "s_WronClickNumber");
CVar* s_WrongClickTime = CVar::create("s_WrongClickTime", CVar::TYPE_INT, "500", 0x01, "s_WrongClickTime");
CVar* s_WrongTime = CVar::create("s_WrongTime", CVar::TYPE_INT, "1500", 0x01, "s_WrongTime");
CVar* v_DefaultFont = CVar::create("v_DefaultFont", CVar::TYPE_STRING, "debug_font", 0x20, "");
CVar* d_UpdateSpeed = CVar::create("d_UpdateSpeed", CVar::TYPE_FLOAT, "1", 0x20, "");
CVar* prog_version = CVar::create("prog_version", CVar::TYPE_STRING, "", 0x20, "");
CVar* d_noLinkAtExit = CVar::create("d_noLinkAtExit", CVar::TYPE_BOOL, "true", 0x20, "");
CVar* d_FPSCount = CVar::create("d_FPSCount", CVar::TYPE_FLOAT, "60", 0x20, "");
CVar* d_DTMax = CVar::create("d_DTMax", CVar::TYPE_FLOAT, "0.1", 0x20, "");
CVar* d_rX = CVar::create("d_rX", CVar::TYPE_FLOAT, "-1.5", 0x20, "");
CVar* d_rY = CVar::create("d_rY", CVar::TYPE_FLOAT, "-1.5", 0x20, "");
CVar* d_noRenderFilter1 = CVar::create("d_noRenderFilter1", CVar::TYPE_BOOL, "false", 0x20, "");
CVar* d_noRenderFilter2 = CVar::create("d_noRenderFilter2", CVar::TYPE_BOOL, "true", 0x20, "");
CVar* d_penaltyTimer = CVar::create("d_penaltyTimer", CVar::TYPE_INT, "3000", 0x20, "");
CVar* d_penaltyClickCount = CVar::create("d_penaltyClickCount", CVar::TYPE_INT, "3", 0x20, "");
CVar* d_rrDelay = CVar::create("d_rrDelay", CVar::TYPE_FLOAT, "0", 0x20, "");
CVar* d_StartLevel = CVar::create("d_StartLevel", CVar::TYPE_STRING, "", 0x01, "d_StartLevel");
CVar* d_noCheckValidMouse = CVar::create("d_noCheckValidMouse", CVar::TYPE_BOOL, "false", 0x20, "");
CVar* d_disableParticles = CVar::create("d_disableParticles", CVar::TYPE_BOOL, "false", 0x20, "");
CVar* d_RenderLevel = CVar::create("d_RenderLevel", CVar::TYPE_BOOL, "true", 0x20, "");
CVar* d_needDepth = CVar::create("d_needDepth", CVar::TYPE_INT, "50", 0x20, "");
CVar* d_NeedRotate = CVar::create("d_NeedRotate", CVar::TYPE_BOOL, "true", 0x01, "d_NeedRotate");
CVar* v_ConsoleSwf = CVar::create("v_ConsoleSwf", CVar::TYPE_STRING, "_console.swf", 0x20, "");
CVar* v_ConsoleFont = CVar::create("v_ConsoleFont", CVar::TYPE_STRING, "debug_font", 0x20, "");
CVar* v_ConsoleHistory = CVar::create("v_ConsoleHistory", CVar::TYPE_STRING, "data\\console.log", 0x20, "");
CVar* v_ConsoleHistoryUnique = CVar::create("v_ConsoleHistoryUnique", CVar::TYPE_BOOL, "false", 0x20, "");
CVar* d_DialogsFont = CVar::create("d_DialogsFont", CVar::TYPE_STRING, "Vernada_BOLD_16", 0x01, "");
CVar* d_DialogsLevelZoom = CVar::create("d_DialogsLevelZoom", CVar::TYPE_FLOAT, "1.07", 0x20, "");
CVar* d_InventoryCounterFont = CVar::create("d_InventoryCounterFont", CVar::TYPE_STRING, "Vernada_BOLD_16", 0x20, "");
CVar* s_LoadingLevelTime = CVar::create("s_LoadingLevelTime", CVar::TYPE_FLOAT, "2", 0x01, "s_LoadingLevelTime");
CVar* d_hintFrameUpdate = CVar::create("d_hintFrameUpdate", CVar::TYPE_INT, "1", 0x20, "");
CVar* d_skipFrameUpdate = CVar::create("d_skipFrameUpdate", CVar::TYPE_INT, "1", 0x20, "");
CVar* d_skipFrameTime = CVar::create("d_skipFrameTime", CVar::TYPE_FLOAT, "0.03", 0x20, "");
CVar* d_hintFrameTime = CVar::create("d_hintFrameTime", CVar::TYPE_FLOAT, "0.1", 0x20, "");
CVar* d_MFSFFont = CVar::create("d_MFSFFont", CVar::TYPE_STRING, "tahoma_b_13", 0x20, "");
CVar* d_msgBoxTimeDelta = CVar::create("d_msgBoxTimeDelta", CVar::TYPE_INT, "300", 0x20, "");
CVar* d_MainPanelTextColor = CVar::create("d_MainPanelTextColor", CVar::TYPE_FLOAT3, "255 255 255", 0x20, "");
CVar* d_MainPanelTaskTextColor = CVar::create("d_MainPanelTaskTextColor", CVar::TYPE_FLOAT3, "221 200 148", 0x20, "");
CVar* d_MainPanelFontName = CVar::create("d_MainPanelFontName", CVar::TYPE_STRING, "Vernada_BOLD_16", 0x20, "");
CVar* d_MainPanelTaskFontName = CVar::create("d_MainPanelTaskFontName", CVar::TYPE_STRING, "BookmanC_18_italic", 0x20, "");
CVar* d_RenderMainPanel = CVar::create("d_RenderMainPanel", CVar::TYPE_BOOL, "true", 0x20, "");
CVar* d_msgFrameTask = CVar::create("d_msgFrameTask", CVar::TYPE_STRING, "msg_anim", 0x20, "");
CVar* d_msgFrameTaskComplete = CVar::create("d_msgFrameTaskComplete", CVar::TYPE_STRING, "task_msg_anim", 0x20, "");
CVar* d_msgFont = CVar::create("d_msgFont", CVar::TYPE_STRING, "Vernada_BOLD_16", 0x20, "");
CVar* d_taskCompleteDX = CVar::create("d_taskCompleteDX", CVar::TYPE_FLOAT, "0", 0x20, "");
CVar* d_taskCompleteDY = CVar::create("d_taskCompleteDY", CVar::TYPE_FLOAT, "-90", 0x20, "");
CVar* s_LastProfileName = CVar::create("s_LastProfileName", CVar::TYPE_STRING, "", 0x40, "s_LastProfileName");
CVar* s_fullScreenMode = CVar::create("s_fullScreenMode", CVar::TYPE_BOOL, "true", 0x40, "");
CVar* s_musicVol = CVar::create("s_musicVol", CVar::TYPE_FLOAT, "50", 0x40, "");
CVar* s_soundVol = CVar::create("s_soundVol", CVar::TYPE_FLOAT, "50", 0x40, "");
CVar* d_initMusVol = CVar::create("d_initMusVol", CVar::TYPE_FLOAT, "50", 0x20, "");
CVar* d_initSndVol = CVar::create("d_initSndVol", CVar::TYPE_FLOAT, "50", 0x20, "");
CVar* d_FilterFonts = CVar::create("d_FilterFonts", CVar::TYPE_BOOL, "false", 0x20, "");
CVar* d_Fonts5 = CVar::create("d_Fonts5", CVar::TYPE_INT, "3", 0x20, "");
CVar* d_FontsAlphaBound = CVar::create("d_FontsAlphaBound", CVar::TYPE_INT, "15", 0x20, "");
CVar* d_FontsBoundWidth = CVar::create("d_FontsBoundWidth", CVar::TYPE_FLOAT, "1.0", 0x20, "");
