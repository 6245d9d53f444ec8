// audio_start as start-up calls it, on SDL's dummy audio driver, from the
// repository root (where data/ is) and from a directory without a song.
#include "synth/synth.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class AudioStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    }
    void TearDown() override
    {
        SDL_CloseAudio();
        SDL_Quit();
        ASSERT_EQ(chdir(saved), 0);
    }
    char saved[4096];
};

TEST_F(AudioStart, OpensPausedAndLoadsTheSong)
{
    ASSERT_EQ(chdir(TOBUNA_SOURCE_DIR), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(audio_start(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PAUSED);
    EXPECT_EQ(synth.step_length, 5292);
    EXPECT_TRUE(synth_voice_in_use(13));
    SDL_Delay(100);
    EXPECT_EQ(synth.sample_counter, 0);  // no callback while paused
}

TEST_F(AudioStart, WithoutAnAudioDeviceTheShowGoesOnSilently)
{
    ASSERT_EQ(chdir(TOBUNA_SOURCE_DIR), 0);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    int result = audio_start();
    std::string err = testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(err.rfind("Unable to open audio: ", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line";
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_STOPPED);
    EXPECT_TRUE(synth_voice_in_use(13));  // the song is loaded all the same
}

TEST_F(AudioStart, MissingSongIsALoadError)
{
    ASSERT_EQ(chdir("/"), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(audio_start(), -1);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "musa load error!\n");
}

// A directory made for one test, with data/ in it; removed afterwards.
struct ScratchDir {
    char path[32] = "/tmp/tobuna_audioXXXXXX";
    ScratchDir()
    {
        if (mkdtemp(path))
            mkdir((std::string(path) + "/data").c_str(), 0700);
    }
    ~ScratchDir()
    {
        std::string command = std::string("rm -rf ") + path;
        if (system(command.c_str()) != 0)
            fprintf(stderr, "cannot remove %s\n", path);
    }
};

TEST_F(AudioStart, ADirectoryForTheSongIsALoadError)
{
    ScratchDir scratch;
    ASSERT_EQ(mkdir((std::string(scratch.path) + "/data/hiiri.txt").c_str(), 0700), 0);
    ASSERT_EQ(chdir(scratch.path), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(audio_start(), -1);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "musa load error!\n");
}

TEST_F(AudioStart, ANulByteEndsTheSongWithANoteOnStandardError)
{
    ScratchDir scratch;
    FILE *song = fopen((std::string(scratch.path) + "/data/hiiri.txt").c_str(), "wb");
    ASSERT_NE(song, nullptr);
    const char text[] = "bpm:125\ni1:sini,1,0,9,1,0\np0:c4\nt1:p0\n\0t2:p0\n";
    fwrite(text, 1, sizeof text - 1, song);
    fclose(song);
    ASSERT_EQ(chdir(scratch.path), 0);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int result = audio_start();
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 0);  // the show plays what comes before the NUL
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "data/hiiri.txt: NUL byte at offset 38: the song ends there\n");
    EXPECT_TRUE(synth_voice_in_use(1));
    EXPECT_FALSE(synth_voice_in_use(2));
}

}  // namespace
