// The page: sizes the canvas, paces the animation, draws the module's mesh with WebGL and answers
// keys and the mouse. Emscripten puts this ahead of the module's own code, in the same scope.
'use strict';

// The saver's timer: one animation frame per 30 ms of wall time, whatever the display's rate.
var FramePeriod = 30;
// Each display refresh spends at most this long on the frames of a still picture, so the page
// stays responsive while it computes a great many.
var StillBudget = 25;
// A still picture that takes longer than this says how far it has come.
var ProgressDelay = 1000;
var CursorDelay = 2000;
var SaverMouseRange = 30;
// OpenGL's default light-model ambient, which the saver's scene leaves as it is.
var SceneAmbient = [0.2, 0.2, 0.2];
// The saver's glOrtho depth range, and the depth its mesh drawing moves the mesh to.
var Near = -1, Far = 2, MeshDepth = -1.2;

var VertexShader = [
  'attribute vec3 normal;',
  'attribute vec3 colour;',
  'attribute vec3 position;',
  'uniform mat4 projection;',
  'uniform float meshDepth;',
  'uniform vec3 sceneAmbient, lightAmbient, lightDiffuse, lightSpecular, lightPosition;',
  'uniform vec3 materialSpecular, materialEmission;',
  'uniform float shininess;',
  'varying vec3 shade;',
  // OpenGL's fixed-function lighting per vertex, as the saver's scene sets it up: colour material
  // (the vertex colour is the ambient and diffuse reflectance), normalised normals, one point
  // light without attenuation or spot, the viewer at infinity.
  'void main() {',
  '  vec3 eye = position + vec3(0.0, 0.0, meshDepth);',
  '  gl_Position = projection * vec4(eye, 1.0);',
  '  vec3 n = normalize(normal);',
  '  vec3 toLight = normalize(lightPosition - eye);',
  '  float facing = max(dot(n, toLight), 0.0);',
  '  vec3 halfway = normalize(toLight + vec3(0.0, 0.0, 1.0));',
  '  float highlight = facing > 0.0 ? pow(max(dot(n, halfway), 0.0), shininess) : 0.0;',
  '  shade = clamp(materialEmission + colour * sceneAmbient + colour * lightAmbient',
  '                + facing * colour * lightDiffuse + highlight * materialSpecular * lightSpecular, 0.0, 1.0);',
  '}'
].join('\n');

var FragmentShader = [
  'precision mediump float;',
  'varying vec3 shade;',
  'void main() { gl_FragColor = vec4(shade, 1.0); }'
].join('\n');

var canvas = document.getElementById('canvas');
var overlay = document.getElementById('overlay');
var message = document.getElementById('message');

// stopped: the page has said why it cannot go on, and draws no more.
var gl = null, locations = null, contextLost = false, stopped = false;
var projection = new Float32Array(16);
var width = 0, height = 0;
// The module's vertex array as seen from here; remade only when the mesh moves or grows.
var vertexView = null, vertexCount = 0;
var stillFramesLeft = -1, stillFrames = 0, stillStart = 0, paused = false, redrawNeeded = false;
var nextFrameAt = 0;
// Frames computed since the page opened: the browser tests read it.
var vellumirFrames = 0;
var stats = {since: 0, frames: 0, compute: 0, draw: 0, figures: ''};
var cursorTimer = 0, fullScreenPointer = null;

// The smallest module that uses WebAssembly SIMD: a function returning a v128 constant.
var SimdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 22, 1, 20, 0,
                                253, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 11]);
// The reason main_web.cpp aborts with when the browser gives the module no more memory.
var MemoryRefused = 'memory refused';

Module.onRuntimeInitialized = startPage;
Module.onAbort = function (what) {
  stopped = true;
  if (typeof WebAssembly !== 'object' || !WebAssembly.validate(SimdProbe)) {
    showMessage('Vellumir cannot run in this browser: it needs WebAssembly with SIMD (2021 or later).');
  } else if (what === MemoryRefused) {
    showMessage('Vellumir stopped: the browser gave it no more memory, and a lattice of this many rows at ' +
                'this window\'s shape needs more. Fewer rows need less.');
  } else {
    showMessage('Vellumir stopped on an internal error' + (what ? ': ' + what : '') + '.');
  }
};

function showMessage(text) {
  message.textContent = text;
  message.hidden = false;
}

// Every URL parameter through the module's checks; the first message, or ''.
function readParameters() {
  var encoder = new TextEncoder();
  var entries = Array.from(new URLSearchParams(location.search));
  for (var k = 0; k < entries.length; ++k) {
    var name = encoder.encode(entries[k][0]), value = encoder.encode(entries[k][1]);
    var problem = Module.ccall('vellumir_read_parameter', 'string', ['array', 'number', 'array', 'number'],
                               [name, name.length, value, value.length]);
    if (problem) return problem;
  }
  return '';
}

function startPage() {
  var problem = readParameters();
  if (problem) return showMessage('Vellumir cannot start: ' + problem + '.');
  gl = canvas.getContext('webgl', {antialias: false, alpha: false, depth: false, stencil: false});
  if (!gl) return showMessage('Vellumir needs WebGL, and this browser has none to give (or has it turned off).');
  canvas.addEventListener('webglcontextlost', function (event) {
    event.preventDefault();  // asks for the context back
    contextLost = true;
    showMessage('The graphics context was lost. Vellumir goes on when the browser gives it back.');
  });
  canvas.addEventListener('webglcontextrestored', function () {
    contextLost = false;
    message.hidden = true;
    setUpScene();
  });
  setUpScene();
  if (stopped) return;
  fitCanvas();
  stillFrames = stillFramesLeft = Module._vellumir_start(width, height);
  stillStart = performance.now();
  listenToUser();
  requestAnimationFrame(tick);
}

// Stops the page with WebGL's own words for what it refused. A context lost meanwhile fails every
// step: its own message stands then, and restoring it tries again.
function refuseScene(what, log) {
  if (gl.isContextLost()) return;
  stopped = true;
  showMessage('Vellumir cannot draw: this browser\'s WebGL ' + what + ' (' + (log || 'no reason given').trim() + ').');
}

// Compiles and attaches a shader; false when WebGL rejects it.
function attachShader(program, type, source) {
  var shader = gl.createShader(type);
  gl.shaderSource(shader, source);
  gl.compileShader(shader);
  if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS)) {
    refuseScene('rejected its ' + (type === gl.VERTEX_SHADER ? 'vertex' : 'fragment') + ' shader', gl.getShaderInfoLog(shader));
    return false;
  }
  gl.attachShader(program, shader);
  return true;
}

// Shaders, the vertex buffer and the fixed lighting on a new or restored context; a shader or a
// program WebGL refuses stops the page with a message that says so.
function setUpScene() {
  var program = gl.createProgram();
  if (!attachShader(program, gl.VERTEX_SHADER, VertexShader) || !attachShader(program, gl.FRAGMENT_SHADER, FragmentShader))
    return;
  gl.linkProgram(program);
  if (!gl.getProgramParameter(program, gl.LINK_STATUS)) return refuseScene('could not link its shaders', gl.getProgramInfoLog(program));
  gl.useProgram(program);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  // MeshVertex: normal, colour, vertex, three floats each.
  ['normal', 'colour', 'position'].forEach(function (name, index) {
    var location = gl.getAttribLocation(program, name);
    gl.enableVertexAttribArray(location);
    gl.vertexAttribPointer(location, 3, gl.FLOAT, false, 36, index * 12);
  });
  locations = {projection: gl.getUniformLocation(program, 'projection')};
  // SceneLighting, float by float, as InitScene hands it to OpenGL.
  var lighting = Module._vellumir_lighting() >> 2;
  var vector = function (name, offset) {
    gl.uniform3fv(gl.getUniformLocation(program, name), HEAPF32.subarray(lighting + offset, lighting + offset + 3));
  };
  vector('lightAmbient', 0);
  vector('lightDiffuse', 4);
  vector('lightSpecular', 8);
  vector('lightPosition', 12);
  vector('materialSpecular', 27);
  vector('materialEmission', 31);
  gl.uniform1f(gl.getUniformLocation(program, 'shininess'), HEAPF32[lighting + 35]);
  gl.uniform3fv(gl.getUniformLocation(program, 'sceneAmbient'), SceneAmbient);
  gl.uniform1f(gl.getUniformLocation(program, 'meshDepth'), MeshDepth);
  gl.enable(gl.CULL_FACE);
  gl.cullFace(gl.BACK);
  gl.clearColor(0, 0, 0, 1);
  // A restored context has an empty buffer: a paused or still picture must be drawn again too.
  vertexView = null;
  if (vertexCount > 0) {
    uploadMesh();
    redrawNeeded = true;
  }
}

// The backing store follows the canvas's CSS size times the device's pixel ratio; true when it
// changed.
function fitCanvas() {
  var ratio = window.devicePixelRatio || 1;
  var w = Math.max(1, Math.round(canvas.clientWidth * ratio)), h = Math.max(1, Math.round(canvas.clientHeight * ratio));
  if (w === width && h === height) return false;
  canvas.width = width = w;
  canvas.height = height = h;
  return true;
}

// Hands the module's mesh to the vertex buffer: new storage only when the mesh moved or grew.
function uploadMesh() {
  var first = Module._vellumir_fill_mesh() >> 2;
  var count = Module._vellumir_vertex_count();
  if (vertexView === null || vertexView.buffer !== HEAPF32.buffer || vertexView.byteOffset !== first * 4 ||
      count !== vertexCount) {
    vertexCount = count;
    vertexView = HEAPF32.subarray(first, first + count * 9);
    gl.bufferData(gl.ARRAY_BUFFER, vertexView, gl.DYNAMIC_DRAW);
  } else {
    gl.bufferSubData(gl.ARRAY_BUFFER, 0, vertexView);
  }
}

// glOrtho(-w, w, -0.5, 0.5, Near, Far), column by column.
function setProjection(halfWidth) {
  projection[0] = 1 / halfWidth;
  projection[5] = 2;
  projection[10] = -2 / (Far - Near);
  projection[14] = -(Far + Near) / (Far - Near);
  projection[15] = 1;
  gl.uniformMatrix4fv(locations.projection, false, projection);
}

function draw() {
  gl.viewport(0, 0, width, height);
  gl.clear(gl.COLOR_BUFFER_BIT);
  setProjection(Module._vellumir_half_width());
  gl.drawArrays(gl.TRIANGLES, 0, vertexCount);
  redrawNeeded = false;
}

function computeFrame() {
  Module._vellumir_compute(width, height);
  ++vellumirFrames;
}

// The frames before a still picture, a slice per display refresh; true once they are done.
function computeStillFrames() {
  // At least one frame per refresh, however late the refresh comes.
  for (var start = performance.now(); stillFramesLeft > 0 && performance.now() - start < StillBudget;) {
    computeFrame();
    --stillFramesLeft;
  }
  if (stillFramesLeft > 0) {
    if (performance.now() - stillStart > ProgressDelay)
      showMessage('Computing frame ' + (stillFrames - stillFramesLeft) + ' of ' + stillFrames + '\u2026');
    return false;
  }
  if (performance.now() - stillStart > ProgressDelay) message.hidden = true;
  stillFramesLeft = -1;
  paused = true;
  uploadMesh();
  draw();
  return true;
}

function tick(now) {
  requestAnimationFrame(tick);
  if (contextLost || stopped) return;
  if (fitCanvas()) redrawNeeded = vertexCount > 0;
  if (stillFramesLeft >= 0) {
    computeStillFrames();
    return;
  }
  if (paused || now < nextFrameAt) {
    if (redrawNeeded) draw();
    return;
  }
  // Like a timer's ticks: a late frame delays the next, and a page back from hiding does not race.
  nextFrameAt = Math.max(nextFrameAt + FramePeriod, now);
  var start = performance.now();
  computeFrame();
  var computed = performance.now();
  uploadMesh();
  draw();
  countFrame(now, computed - start, performance.now() - computed);
}

// Frames per second and ms per frame, taken twice a second (not every frame: no text is made per
// frame) and shown while the overlay is open.
function countFrame(now, computeMs, drawMs) {
  stats.frames += 1;
  stats.compute += computeMs;
  stats.draw += drawMs;
  if (now - stats.since < 500) return;
  stats.figures = (stats.frames * 1000 / (now - stats.since)).toFixed(1) + ' fps  compute ' +
      (stats.compute / stats.frames).toFixed(1) + ' ms  draw ' + (stats.draw / stats.frames).toFixed(1) + ' ms';
  stats.since = now;
  stats.frames = stats.compute = stats.draw = 0;
  showOverlay();
}

function showOverlay() {
  if (overlay.hidden) return;
  overlay.textContent = 'mode ' + Module._vellumir_mode() + '  seed ' + (Module._vellumir_seed() >>> 0) + '  rows ' +
      Module._vellumir_rows() + '\n' + (paused ? 'paused' : stats.figures);
}

function inFullScreen() {
  return document.fullscreenElement != null;
}

function toggleFullScreen() {
  var root = document.documentElement;
  if (inFullScreen()) {
    document.exitFullscreen().catch(function () {});
  } else if (root.requestFullscreen) {
    // Refused without a user's gesture, or where the browser has no full screen: the page stays.
    root.requestFullscreen().catch(function () {});
  }
}

function showCursor() {
  canvas.style.cursor = '';
  clearTimeout(cursorTimer);
  if (inFullScreen()) cursorTimer = setTimeout(function () { canvas.style.cursor = 'none'; }, CursorDelay);
}

function listenToUser() {
  var saver = Module._vellumir_saver() === 1;
  document.addEventListener('keydown', function (event) {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    if (saver && inFullScreen()) {
      event.preventDefault();
      document.exitFullscreen().catch(function () {});
      return;
    }
    var key = (event.key || '').toLowerCase();
    if (key === 'f') {
      toggleFullScreen();
    } else if (key === 'i') {
      overlay.hidden = !overlay.hidden;
      showOverlay();
    } else if (key >= '1' && key <= '5' && key.length === 1) {
      Module._vellumir_set_mode(Number(key));
      showOverlay();
    } else if (key === ' ') {
      paused = !paused;
      showOverlay();
    } else {
      return;
    }
    event.preventDefault();
  });
  canvas.addEventListener('click', toggleFullScreen);
  document.addEventListener('mousemove', function (event) {
    if (saver && inFullScreen()) {
      // Where the pointer stands in full screen is measured in full screen's own coordinates:
      // screen coordinates jump as the page goes full screen where the system keeps windows'
      // places to itself (Wayland, headless browsers).
      if (fullScreenPointer === null) fullScreenPointer = {x: event.clientX, y: event.clientY};
      if (Math.abs(event.clientX - fullScreenPointer.x) > SaverMouseRange ||
          Math.abs(event.clientY - fullScreenPointer.y) > SaverMouseRange) {
        document.exitFullscreen().catch(function () {});
      }
    }
    showCursor();
  });
  document.addEventListener('fullscreenchange', function () {
    // Cleared on leaving only: the first movement in full screen may come before this event.
    if (!inFullScreen()) fullScreenPointer = null;
    showCursor();
  });
}
