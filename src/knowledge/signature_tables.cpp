#include "knowledge/signature_tables.h"

// The signatures as data: catalogue key -> lower-case patterns, tried in the order
// written. Rows are inserted in the order written (a repeated key would be dropped in
// favour of its first row); readers walk them in key order. Every key needs an entry in
// the hint catalogue.

// Modules loaded into the product's own executables, matched against the full path.
const SignatureTable ModuleSignatures = {
    {L"rivatuner",                           {L"rtsshook"}},
    {L"sonicstudio",                         {L"ss2osd", L"ss3osd", L"ss2devprops", L"ss3devprops", L"sonic suite", L"sonicradar"}},
    {L"nahimic",                             {L"nahimic"}},
    {L"morvane",                             {L"specialk"}},
    {L"action",                              {L"action_", L"mirillis"}},
    {L"fraps",                               {L"fraps"}},
    {L"raptr",                               {L"raptr", L"ltc_"}},
    {L"precisionx",                          {L"precisionx"}},
    {L"xtremetuner",                         {L"xtremetuner"}},
    {L"razerfps",                            {L"k_fps32", L"k_fps64"}},
    {L"rzfps",                               {L"rzfps"}},
    {L"razeraudio",                          {L"0kraken0"}},
    {L"nvstream",                            {L"nvinject", L"nvstream"}},
    {L"msi gaming",                          {L"msi gaming"}},
    {L"asus strix",                          {L"asusstrixosd"}},
    {L"asus phoebus",                        {L"asusphoebusosd"}},
    {L"asus gpu tweak",                      {L"gtii-osd"}},
    {L"d3dgear",                             {L"d3dgear"}},
    {L"fpsmon",                              {L"fpsmon"}},
    {L"playclaw",                            {L"playclaw"}},
    {L"overwolf",                            {L"owexplorer"}},
    {L"rocketdock",                          {L"rocketdock"}},
    {L"duet",                                {L"ddumd"}},
    {L"alienware",                           {L"cassinimlkdevprops", L"cassinimlkosd", L"alienwaresoundcenter"}},
    {L"nahimicORsonicsuiteORalienwaresound", {L"ovldynext"}},
    {L"rtsultra",                            {L"rtsultramonhook"}},
    {L"objdock",                             {L"objectdock", L"dockshellhook"}},
    {L"codecpack",                           {L"k-lite", L"shark007"}},
    {L"smboost",                             {L"smgbfilter"}},
    {L"bullguard",                           {L"bgagent"}},
    {L"bitdefenderact",                      {L"atcuf"}},
    {L"trusteer",                            {L"rooksbas"}},
    {L"avast",                               {L"aswhook"}},
    {L"norton",                              {L"umengx86", L"umengx64"}},
    {L"360sec",                              {L"safemon"}},
    {L"kaspersky",                           {L"klhkum"}},
    {L"trendmicro",                          {L"tmumevt", L"tmmon"}},
    {L"unknown devprops",                    {L"devprops"}},
    {L"unknown overlay",                     {L"dxosd", L"gametooldll", L"mkiiosd"}},
    {L"unknown hook",                        {L"browserhook", L"vhook.dll", L"easyhook", L"keyhookdll", L"easyhk"}},
    {L"dxwarp",                              {L"d3d10warp", L"d3d11warp"}},
};

// Modules loaded into "explorer.exe".
const SignatureTable ExplorerModuleSignatures = {
    {L"fences",     {L"fences"}},
    {L"deskscapes", {L"deskscapes"}},
};

// Modules loaded into "rundll32.exe".
const SignatureTable RundllModuleSignatures = {
    {L"morvane", {L"specialk"}},
};

// Every running process, matched against its file name and its image path.
const SignatureTable ProcessSignatures = {
    {L"morvane",        {L"skim.exe", L"skim64.exe", L"skif.exe", L"skif64.exe"}},
    {L"duet",           {L"duet.exe", L"ddmgr.exe"}},
    {L"zonealarm",      {L"antitheft.exe"}},
    {L"razeraudio",     {L"thxservice.exe"}},
    {L"superantishit",  {L"sascore64.exe"}},
    {L"nvshare",        {L"nvidia share.exe"}},
    {L"desktopcal",     {L"desktopcal.exe"}},
    {L"relive",         {L"amdow.exe"}},
    {L"asus gpu tweak", {L"gtii-osd.exe"}},
    {L"rtxvoice",       {L"nvidia rtx voice.exe"}},
    {L"kaspersky",      {L"kaspersky"}},
    {L"malware",        {L"mbamservice"}},
    {L"norton",         {L"norton"}},
    {L"coldturkey",     {L"cold turkey"}},
    {L"bitdefender",    {L"bdagent.exe"}},
    {L"panda",          {L"psuamain.exe", L"psuaservice.exe", L"pselamsvc.exe"}},
    {L"ambibox",        {L"ambibox"}},
    {L"throttlestop",   {L"throttlestop"}},
    {L"lenovovantage",  {L"lenovovantage"}},
    {L"steelseries",    {L"steelseriescapturesvc.exe"}},
};

const std::set<std::wstring> ProductExecutables = {
    L"vistora32.exe",
    L"vistora64.exe",
    L"vistoraui.exe",
    L"webvistora64.exe",
};
