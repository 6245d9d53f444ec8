// Show direction: the beat director and the main scene's frame.
#pragma once

// Turns the song position into acts, arrangements and scene events; once
// per drawn frame, after the scene.
void director_step();
// Draws and advances one main-scene frame; dt in seconds.
void main_scene_frame(float dt);
