// 星河守卫: a small canvas game. Plain ES5 so that older embedded browsers run it too.
(function () {
  'use strict';

  var canvas = document.getElementById('game');
  if (!canvas || !canvas.getContext) return;
  var ctx = canvas.getContext('2d');
  var W = canvas.width;
  var H = canvas.height;

  var el = {
    score: document.getElementById('score'),
    best: document.getElementById('best'),
    lives: document.getElementById('lives'),
    level: document.getElementById('level')
  };

  var KEY_LEFT = 37, KEY_UP = 38, KEY_RIGHT = 39, KEY_DOWN = 40;
  var KEY_ENTER = 13, KEY_SPACE = 32, KEY_P = 80;

  var keys = {};
  var target = null;         // mouse position in canvas coordinates
  var state = 'ready';       // ready | playing | paused | over
  var ship, items, sparks, score, best, lives, level, spawnIn, clock;
  var stars = [];

  best = 0;
  try { best = parseInt(window.localStorage.getItem('xinghe.best'), 10) || 0; } catch (e) { best = 0; }

  for (var i = 0; i < 170; i++) {
    stars.push({ x: Math.random() * W, y: Math.random() * H, z: 0.2 + Math.random() * 0.8 });
  }

  function reset() {
    ship = { x: W / 2, y: H - 70, r: 16, shield: 0 };
    items = [];
    sparks = [];
    score = 0;
    lives = 3;
    level = 1;
    spawnIn = 0;
    clock = 0;
    updateHud();
  }

  function updateHud() {
    if (el.score) el.score.innerHTML = String(score);
    if (el.best) el.best.innerHTML = String(best);
    if (el.lives) el.lives.innerHTML = String(lives);
    if (el.level) el.level.innerHTML = String(level);
  }

  function start() {
    if (state === 'ready' || state === 'over') {
      reset();
      state = 'playing';
    } else if (state === 'paused') {
      state = 'playing';
    }
  }

  function spawn() {
    var gem = Math.random() < 0.38;
    var r = gem ? 11 : 14 + Math.random() * 18;
    var points = [];
    if (!gem) {
      for (var k = 0; k < 9; k++) points.push(0.72 + Math.random() * 0.35);
    }
    items.push({
      gem: gem,
      x: r + Math.random() * (W - 2 * r),
      y: -r,
      r: r,
      vy: (gem ? 120 : 150) + Math.random() * 90 + level * 22,
      vx: gem ? 0 : (Math.random() - 0.5) * 40,
      rot: Math.random() * Math.PI,
      vr: (Math.random() - 0.5) * 2,
      shape: points
    });
  }

  function burst(x, y, color, count) {
    for (var k = 0; k < count; k++) {
      var a = Math.random() * Math.PI * 2;
      var s = 40 + Math.random() * 160;
      sparks.push({ x: x, y: y, vx: Math.cos(a) * s, vy: Math.sin(a) * s, life: 0.6, color: color });
    }
  }

  function update(dt) {
    var k;
    for (k = 0; k < stars.length; k++) {
      var st = stars[k];
      st.y += (state === 'playing' ? 60 : 20) * st.z * dt;
      if (st.y > H) { st.y = 0; st.x = Math.random() * W; }
    }
    for (k = sparks.length - 1; k >= 0; k--) {
      var p = sparks[k];
      p.x += p.vx * dt;
      p.y += p.vy * dt;
      p.life -= dt;
      if (p.life <= 0) sparks.splice(k, 1);
    }
    if (state !== 'playing') return;

    clock += dt;
    var speed = 330;
    var dx = 0, dy = 0;
    if (keys[KEY_LEFT]) dx -= 1;
    if (keys[KEY_RIGHT]) dx += 1;
    if (keys[KEY_UP]) dy -= 1;
    if (keys[KEY_DOWN]) dy += 1;
    if (dx || dy) {
      target = null;
      ship.x += dx * speed * dt;
      ship.y += dy * speed * dt;
    } else if (target) {
      ship.x += (target.x - ship.x) * Math.min(1, dt * 9);
      ship.y += (target.y - ship.y) * Math.min(1, dt * 9);
    }
    ship.x = Math.max(ship.r, Math.min(W - ship.r, ship.x));
    ship.y = Math.max(H * 0.35, Math.min(H - ship.r - 6, ship.y));
    if (ship.shield > 0) ship.shield -= dt;

    spawnIn -= dt;
    if (spawnIn <= 0) {
      spawn();
      spawnIn = Math.max(0.16, 0.55 - level * 0.05) * (0.6 + Math.random() * 0.8);
    }

    for (k = items.length - 1; k >= 0; k--) {
      var it = items[k];
      it.y += it.vy * dt;
      it.x += it.vx * dt;
      it.rot += it.vr * dt;
      var ddx = it.x - ship.x, ddy = it.y - ship.y;
      var hit = ddx * ddx + ddy * ddy < (it.r + ship.r * 0.8) * (it.r + ship.r * 0.8);
      if (hit && it.gem) {
        score += 10;
        burst(it.x, it.y, '#ffd36e', 14);
        items.splice(k, 1);
        continue;
      }
      if (hit && ship.shield <= 0) {
        lives -= 1;
        ship.shield = 1.6;
        burst(it.x, it.y, '#ff8a7a', 24);
        items.splice(k, 1);
        if (lives <= 0) gameOver();
        continue;
      }
      if (it.y - it.r > H) items.splice(k, 1);
    }
    level = 1 + Math.floor(score / 150);
    updateHud();
  }

  function gameOver() {
    state = 'over';
    burst(ship.x, ship.y, '#7fe3ff', 40);
    if (score > best) {
      best = score;
      try { window.localStorage.setItem('xinghe.best', String(best)); } catch (e) { /* private mode */ }
    }
    updateHud();
  }

  function drawBackground() {
    var sky = ctx.createLinearGradient(0, 0, 0, H);
    sky.addColorStop(0, '#0b1233');
    sky.addColorStop(1, '#05060f');
    ctx.fillStyle = sky;
    ctx.fillRect(0, 0, W, H);
    var neb = ctx.createRadialGradient(W * 0.78, H * 0.2, 10, W * 0.78, H * 0.2, W * 0.5);
    neb.addColorStop(0, 'rgba(170, 80, 230, 0.35)');
    neb.addColorStop(1, 'rgba(170, 80, 230, 0)');
    ctx.fillStyle = neb;
    ctx.fillRect(0, 0, W, H);
    var neb2 = ctx.createRadialGradient(W * 0.15, H * 0.85, 10, W * 0.15, H * 0.85, W * 0.45);
    neb2.addColorStop(0, 'rgba(40, 150, 255, 0.28)');
    neb2.addColorStop(1, 'rgba(40, 150, 255, 0)');
    ctx.fillStyle = neb2;
    ctx.fillRect(0, 0, W, H);
    for (var k = 0; k < stars.length; k++) {
      var st = stars[k];
      ctx.globalAlpha = 0.35 + st.z * 0.65;
      ctx.fillStyle = '#ffffff';
      ctx.fillRect(st.x, st.y, st.z * 2, st.z * 2);
    }
    ctx.globalAlpha = 1;
    // A distant ringed planet: back half of the ring, planet, front half.
    ringHalf(Math.PI, Math.PI * 2);
    ctx.save();
    ctx.translate(W * 0.86, H * 0.7);
    var pg = ctx.createRadialGradient(-14, -16, 4, 0, 0, 56);
    pg.addColorStop(0, '#ffe6a8');
    pg.addColorStop(0.5, '#ff8a4c');
    pg.addColorStop(1, '#5a1450');
    ctx.fillStyle = pg;
    ctx.beginPath();
    ctx.arc(0, 0, 52, 0, Math.PI * 2);
    ctx.fill();
    ctx.restore();
    ringHalf(0, Math.PI);
  }

  function ringHalf(from, to) {
    ctx.save();
    ctx.translate(W * 0.86, H * 0.7);
    ctx.rotate(-0.3);
    ctx.scale(1, 0.22);
    ctx.beginPath();
    ctx.arc(0, 0, 92, from, to);
    ctx.restore();
    // Stroked outside the squashed transform so the line keeps its width.
    ctx.strokeStyle = 'rgba(160, 230, 255, 0.55)';
    ctx.lineWidth = 4;
    ctx.stroke();
  }

  function drawShip() {
    if (ship.shield > 0 && Math.floor(ship.shield * 10) % 2 === 0) return;
    ctx.save();
    ctx.translate(ship.x, ship.y);
    var flame = 10 + Math.random() * 8;
    var fg = ctx.createLinearGradient(0, 10, 0, 16 + flame);
    fg.addColorStop(0, 'rgba(127, 227, 255, 0.95)');
    fg.addColorStop(1, 'rgba(127, 227, 255, 0)');
    ctx.fillStyle = fg;
    ctx.beginPath();
    ctx.moveTo(-7, 12);
    ctx.lineTo(0, 16 + flame);
    ctx.lineTo(7, 12);
    ctx.fill();
    var body = ctx.createLinearGradient(-18, 0, 18, 0);
    body.addColorStop(0, '#5c6bd6');
    body.addColorStop(0.5, '#e8eeff');
    body.addColorStop(1, '#5c6bd6');
    ctx.fillStyle = body;
    ctx.beginPath();
    ctx.moveTo(0, -22);
    ctx.lineTo(18, 14);
    ctx.lineTo(6, 9);
    ctx.lineTo(-6, 9);
    ctx.lineTo(-18, 14);
    ctx.closePath();
    ctx.fill();
    ctx.fillStyle = '#7fe3ff';
    ctx.beginPath();
    ctx.ellipse ? ctx.ellipse(0, -4, 3.5, 7, 0, 0, Math.PI * 2) : ctx.arc(0, -4, 4, 0, Math.PI * 2);
    ctx.fill();
    ctx.restore();
  }

  function drawItem(it) {
    ctx.save();
    ctx.translate(it.x, it.y);
    ctx.rotate(it.rot);
    if (it.gem) {
      var glow = ctx.createRadialGradient(0, 0, 1, 0, 0, it.r * 2.2);
      glow.addColorStop(0, 'rgba(255, 220, 120, 0.7)');
      glow.addColorStop(1, 'rgba(255, 220, 120, 0)');
      ctx.fillStyle = glow;
      ctx.fillRect(-it.r * 2.2, -it.r * 2.2, it.r * 4.4, it.r * 4.4);
      ctx.fillStyle = '#ffd36e';
      ctx.beginPath();
      for (var k = 0; k < 8; k++) {
        var rr = k % 2 === 0 ? it.r : it.r * 0.4;
        var a = k * Math.PI / 4;
        ctx.lineTo(Math.cos(a) * rr, Math.sin(a) * rr);
      }
      ctx.closePath();
      ctx.fill();
    } else {
      var rock = ctx.createRadialGradient(-it.r * 0.3, -it.r * 0.3, 2, 0, 0, it.r);
      rock.addColorStop(0, '#b08a78');
      rock.addColorStop(1, '#4a3431');
      ctx.fillStyle = rock;
      ctx.beginPath();
      for (var j = 0; j < it.shape.length; j++) {
        var b = j * Math.PI * 2 / it.shape.length;
        ctx.lineTo(Math.cos(b) * it.r * it.shape[j], Math.sin(b) * it.r * it.shape[j]);
      }
      ctx.closePath();
      ctx.fill();
      ctx.fillStyle = 'rgba(0, 0, 0, 0.25)';
      ctx.beginPath();
      ctx.arc(it.r * 0.25, it.r * 0.1, it.r * 0.22, 0, Math.PI * 2);
      ctx.fill();
    }
    ctx.restore();
  }

  function centerText(text, y, size, color) {
    ctx.font = 'bold ' + size + 'px "Microsoft YaHei", "Noto Sans CJK SC", sans-serif';
    ctx.textAlign = 'center';
    ctx.fillStyle = color;
    ctx.fillText(text, W / 2, y);
  }

  function draw() {
    drawBackground();
    for (var k = 0; k < items.length; k++) drawItem(items[k]);
    for (k = 0; k < sparks.length; k++) {
      var p = sparks[k];
      ctx.globalAlpha = Math.max(0, p.life / 0.6);
      ctx.fillStyle = p.color;
      ctx.fillRect(p.x - 1.5, p.y - 1.5, 3, 3);
    }
    ctx.globalAlpha = 1;
    if (state !== 'over') drawShip();

    ctx.textAlign = 'left';
    ctx.font = 'bold 18px "Microsoft YaHei", "Noto Sans CJK SC", sans-serif';
    ctx.fillStyle = '#ffd36e';
    ctx.fillText('得分 ' + score, 18, 30);
    ctx.fillStyle = '#7fe3ff';
    ctx.fillText('护盾 ' + new Array(lives + 1).join('◆'), 18, 56);

    if (state === 'ready') {
      ctx.fillStyle = 'rgba(5, 8, 22, 0.45)';
      ctx.fillRect(0, 0, W, H);
      centerText('星河守卫', H / 2 - 30, 56, '#ffd88a');
      centerText('收集星晶，躲避陨石 · 按回车或点击开始', H / 2 + 22, 20, '#dfe6ff');
    } else if (state === 'paused') {
      centerText('暂停中 · 按 P 继续', H / 2, 30, '#dfe6ff');
    } else if (state === 'over') {
      ctx.fillStyle = 'rgba(5, 8, 22, 0.55)';
      ctx.fillRect(0, 0, W, H);
      centerText('舰队覆灭', H / 2 - 30, 48, '#ff8a7a');
      centerText('本局得分 ' + score + ' · 按回车或点击再来一局', H / 2 + 20, 20, '#dfe6ff');
    }
  }

  function toCanvas(ev) {
    var rect = canvas.getBoundingClientRect();
    return {
      x: (ev.clientX - rect.left) * W / rect.width,
      y: (ev.clientY - rect.top) * H / rect.height
    };
  }

  document.addEventListener('keydown', function (ev) {
    var code = ev.keyCode;
    if (code >= KEY_LEFT && code <= KEY_DOWN) {
      keys[code] = true;
      ev.preventDefault();
    } else if (code === KEY_ENTER || code === KEY_SPACE) {
      start();
      ev.preventDefault();
    } else if (code === KEY_P) {
      if (state === 'playing') state = 'paused';
      else if (state === 'paused') state = 'playing';
    }
  });
  document.addEventListener('keyup', function (ev) { keys[ev.keyCode] = false; });
  canvas.addEventListener('mousemove', function (ev) { target = toCanvas(ev); });
  canvas.addEventListener('mousedown', function (ev) {
    target = toCanvas(ev);
    start();
  });

  var raf = window.requestAnimationFrame || function (fn) { return window.setTimeout(function () { fn(Date.now()); }, 16); };
  var last = null;
  function frame(now) {
    if (last === null) last = now;
    var dt = Math.min(0.05, (now - last) / 1000);
    last = now;
    update(dt);
    draw();
    raf(frame);
  }

  reset();
  raf(frame);
}());
